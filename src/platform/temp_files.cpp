#include "platform/temp_files.h"

#include "platform/codepage.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
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

// The user's temporary directory: $TMPDIR when set, else "/tmp".
QByteArray TempDirectory() {
    const QByteArray dir = qgetenv("TMPDIR");
    return dir.isEmpty() ? QByteArray("/tmp") : dir;
}

QByteArray Joined(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// Why the folder is not one that only this user can enter; nothing when it is.
std::optional<QString> WhyNotPrivate(const QByteArray& folder) {
    struct stat info {};
    if (lstat(folder.constData(), &info) != 0)
        return ErrorText(errno);
    if (S_ISLNK(info.st_mode))
        return QCoreApplication::translate("Platform", "it is a symbolic link");
    if (!S_ISDIR(info.st_mode))
        return QCoreApplication::translate("Platform", "it is not a folder");
    if (info.st_uid != geteuid())
        return QCoreApplication::translate("Platform", "it belongs to another account (user id %1)")
            .arg(info.st_uid);
    if ((info.st_mode & 07777) != S_IRWXU)
        return QCoreApplication::translate("Platform", "others may use it (mode %1, not 0700)")
            .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return std::nullopt;
}

AppError NotPrivateError(const QByteArray& folder, const QString& reason) {
    return AppError(QCoreApplication::translate("Platform",
                                                "The temporary folder \"%1\" cannot be used: %2. "
                                                "Remove it, or set TMPDIR to a folder of your own.")
                        .arg(SystemCodePage().ToUtf16(folder), reason));
}
} // namespace

QByteArray PrivateTempDirectory() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray folder =
        runtime.startsWith('/') && !WhyNotPrivate(runtime)
            ? Joined(runtime, "couchframe")
            : Joined(TempDirectory(), "couchframe-" + QByteArray::number(geteuid()));
    if (mkdir(folder.constData(), S_IRWXU) == 0) {
        // The umask may have taken bits the owner needs; the folder is new and ours.
        if (chmod(folder.constData(), S_IRWXU) != 0)
            throw EFCreateError(folder, errno);
    } else if (errno != EEXIST) {
        throw EFCreateError(folder, errno);
    }
    if (const std::optional<QString> reason = WhyNotPrivate(folder))
        throw NotPrivateError(folder, *reason);
    return folder;
}

EFCreateError::EFCreateError(const QByteArray& path, int errorNumber)
    : AppError(tr("ファイル \"%1\". %2 を作成できません")
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
