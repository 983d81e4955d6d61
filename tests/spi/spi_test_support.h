#pragma once

// Helpers shared by the plug-in tests: loaded plug-ins, fixture and shipped plug-in paths, fixture
// pictures, and a capture of standard error.

#include "spi/spis.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

// The file names of the host's plug-ins, in order.
inline QStringList FileNames(const TSPIs& host) {
    QStringList names;
    for (int i = 0; i < host.Count(); ++i)
        names.append(QFileInfo(host.Items(i)->FileName()).fileName());
    return names;
}

inline QString FixturePlugin(const QString& name) {
    return QStringLiteral(SPI_FIXTURE_DIR "/") + name + QStringLiteral(".spi");
}

inline QString ShippedPlugin(const QString& name) {
    return QStringLiteral(COUCHFRAME_PLUGIN_BUILD_DIR "/") + name + QStringLiteral(".spi");
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// Copies a plug-in under a new name with the permissions a trusted plug-in has.
inline QString InstallPlugin(const QString& source, const QString& dir, const QString& name) {
    QDir().mkpath(dir);
    const QString target = dir + QLatin1Char('/') + name;
    QFile::remove(target);
    if (!QFile::copy(source, target))
        qFatal("cannot copy %s", qPrintable(source));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadGroup | QFile::ReadOther);
    return target;
}

// A picture in the fixture plug-in's format: header, colour table, bottom-up bitmap rows.
inline QByteArray FixturePicture(int bits, int width, int height, const QByteArray& colorTable,
                                 const QByteArray& rows) {
    QByteArray data("FIXT");
    data.append(char(bits)).append(char(width)).append(char(height));
    return data + colorTable + rows;
}

// Everything written to standard error while it lives.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        saved_ = ::dup(2);
        file_ = std::tmpfile();
        ::dup2(::fileno(file_), 2);
    }
    ~StderrCapture() {
        Restore();
        std::fclose(file_);
    }
    QByteArray Text() {
        Restore();
        std::rewind(file_);
        QByteArray text;
        char buffer[512];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0)
            text.append(buffer, qsizetype(n));
        return text;
    }

private:
    void Restore() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }
    int saved_ = -1;
    std::FILE* file_ = nullptr;
};
