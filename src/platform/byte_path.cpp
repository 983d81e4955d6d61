#include "platform/byte_path.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool OpenPathBytes(QFile& file, const QByteArray& path) {
    if (path.contains('\0')) {
        errno = ENOENT;
        return false;
    }
    // Non-blocking: a FIFO must not hang the caller, and only a regular file is read.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        errno = EIO;
        return false;
    }
    return true;
}

QByteArray LastPathComponent(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray FolderOfPath(const QByteArray& path) {
    return path.left(path.lastIndexOf('/') + 1);
}

QByteArray FileUrlOfPath(const QByteArray& path) {
    return "file://" + path.toPercentEncoding("/");
}

std::optional<QByteArray> PathOfFileUrl(QByteArrayView url) {
    for (const QByteArrayView prefix :
         {QByteArrayView("file://"), QByteArrayView("file://localhost")}) {
        if (url.size() > prefix.size() &&
            url.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0 &&
            url[prefix.size()] == '/')
            return QByteArray::fromPercentEncoding(url.sliced(prefix.size()).toByteArray());
    }
    return std::nullopt;
}
