#include "platform/temp_files.h"

#include "platform/codepage.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
QString ErrorText(int errorNumber) {
    return SystemCodePage().ToUtf16(std::strerror(errorNumber));
}

// Writes everything, going on after partial writes and interruptions; false with errno set.
bool WriteAll(int fd, QByteArrayView bytes) {
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}
} // namespace

QByteArray TempDirectory() {
    const QByteArray dir = qgetenv("TMPDIR");
    return dir.isEmpty() ? QByteArray("/tmp") : dir;
}

EFCreateError::EFCreateError(const QByteArray& path, int errorNumber)
    : AppError(QStringLiteral("ファイル \"%1\". %2 を作成できません")
                   .arg(SystemCodePage().ToUtf16(path), ErrorText(errorNumber))) {}

void WriteFileAtomically(const QByteArray& path, QByteArrayView bytes) {
    QByteArray temporary = path + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        throw EFCreateError(path, errno);
    int error = WriteAll(fd, bytes) ? 0 : errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(temporary.constData(), path.constData()) != 0)
        error = errno;
    if (error == 0)
        return;
    unlink(temporary.constData());
    throw EFCreateError(path, error);
}
