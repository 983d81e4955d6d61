#include "spi/plugin_load_marks.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kLoadingFile = QStringLiteral("plugin-loading");
const QString kStoppedFile = QStringLiteral("plugins-that-stopped-a-start");

// A file's path and what tells its contents apart from a replacement: device, inode, size and
// modification time.
QByteArray Record(const QByteArray& path, const struct stat& st) {
    return QByteArray::number(static_cast<quint64>(st.st_dev)) + ' ' +
           QByteArray::number(static_cast<quint64>(st.st_ino)) + ' ' +
           QByteArray::number(static_cast<qint64>(st.st_size)) + ' ' +
           QByteArray::number(static_cast<qint64>(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(static_cast<qint64>(st.st_mtim.tv_nsec)) + ' ' +
           path.toPercentEncoding("/");
}

QByteArray PathOf(const QByteArray& record) {
    return QByteArray::fromPercentEncoding(record.mid(record.lastIndexOf(' ') + 1));
}

// A mark left longer than it should be makes the next start skip a plug-in that loaded fine: say
// why on stderr, where the refusals of the plug-in search go too.
void TruncateMark(int fd, off_t size) {
    if (::ftruncate(fd, size) != 0)
        std::fprintf(stderr, "couchframe: cannot update the plug-in load mark: %s\n",
                     std::strerror(errno));
}

} // namespace

QString PluginLoadMarks::DefaultFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty())
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/couchframe");
}

PluginLoadMarks::PluginLoadMarks(const QString& folder) : folder_(folder) {
    QDir().mkpath(folder_);
    QFile stopped(folder_ + QLatin1Char('/') + kStoppedFile);
    if (stopped.open(QIODevice::ReadOnly))
        for (const QByteArray& line : stopped.readAll().split('\n'))
            if (!line.isEmpty())
                stopped_.append(line);
    QFile loading(folder_ + QLatin1Char('/') + kLoadingFile);
    const QByteArray left = loading.open(QIODevice::ReadOnly) ? loading.readAll() : QByteArray();
    if (!left.isEmpty() && !stopped_.contains(left)) {
        stopped_.append(left);
        SaveStopped();
    }
    loadingFd_ = ::open(QFile::encodeName(loading.fileName()).constData(),
                        O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    // Without a place for the marks, plug-ins load unguarded.
}

PluginLoadMarks::~PluginLoadMarks() {
    if (loadingFd_ >= 0)
        ::close(loadingFd_);
}

bool PluginLoadMarks::StoppedAnEarlierStart(const QByteArray& path,
                                            const struct stat& status) const {
    return stopped_.contains(Record(path, status));
}

void PluginLoadMarks::Begin(const QByteArray& path, const struct stat& status) {
    // A file that stopped a start and has been replaced since is forgotten.
    if (stopped_.removeIf([&path](const QByteArray& r) { return PathOf(r) == path; }) > 0)
        SaveStopped();
    if (loadingFd_ < 0)
        return;
    const QByteArray record = Record(path, status);
    if (::pwrite(loadingFd_, record.constData(), static_cast<size_t>(record.size()), 0) ==
        record.size())
        TruncateMark(loadingFd_, record.size());
}

void PluginLoadMarks::End() {
    if (loadingFd_ >= 0)
        TruncateMark(loadingFd_, 0);
}

void PluginLoadMarks::SaveStopped() const {
    QSaveFile file(folder_ + QLatin1Char('/') + kStoppedFile);
    if (!file.open(QIODevice::WriteOnly))
        return;
    for (const QByteArray& record : stopped_)
        file.write(record + '\n');
    file.commit();
}
