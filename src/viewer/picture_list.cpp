#include "viewer/picture_list.h"

#include "platform/byte_path.h"
#include "platform/error.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>

QList<QByteArray> ReadPictureList(const QByteArray& path) {
    QFile file;
    if (!OpenPathBytes(file, path)) {
        const QString reason = QString::fromLocal8Bit(strerror(errno));
        throw AppError(QCoreApplication::translate("Viewer", "Cannot open file \"%1\". %2")
                           .arg(QFile::decodeName(path), reason));
    }
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw AppError(QCoreApplication::translate("Viewer", "Cannot read file \"%1\". %2")
                           .arg(QFile::decodeName(path), file.errorString()));
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r')
            continue;
        lines.append(text.mid(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}
