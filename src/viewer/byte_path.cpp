#include "viewer/byte_path.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

bool OpenPathBytes(QFile& file, const QByteArray& path) {
    if (path.contains('\0')) {
        errno = ENOENT;
        return false;
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        errno = EIO;
        return false;
    }
    return true;
}
