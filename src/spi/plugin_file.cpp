#include "spi/plugin_file.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// What a refusal speaks of: the plug-in file or its folder.
enum class Subject { File, Folder };

// Why something owned and moded as st may not be trusted; empty when it may.
QString Distrust(const struct stat& st, Subject subject) {
    const bool folder = subject == Subject::Folder;
    if (st.st_uid != 0 && st.st_uid != ::geteuid())
        return folder
                   ? QCoreApplication::translate("Plugins", "its folder is owned by another user")
                   : QCoreApplication::translate("Plugins", "it is owned by another user");
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return folder ? QCoreApplication::translate("Plugins",
                                                    "its folder is writable by group or others")
                      : QCoreApplication::translate("Plugins", "it is writable by group or others");
    return QString();
}

QByteArray FdPath(int fd) {
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// Whether a library the loader holds is named so.
bool LoaderHasName(const QByteArray& name) {
    void* handle = ::dlopen(name.constData(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr)
        return false;
    link_map* map = nullptr;
    const bool same = ::dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr &&
                      map->l_name != nullptr && name == map->l_name;
    ::dlclose(handle);
    return same;
}

} // namespace

PluginFile::PluginFile(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArray(".")
                              : slash == 0 ? QByteArray("/")
                                           : path.left(slash);
    const QByteArray name = path.mid(slash + 1);
    const int dirFd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    struct stat folderStatus {};
    if (::fstat(dirFd, &folderStatus) != 0) {
        ::close(dirFd);
        return;
    }
    fd_ = ::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const int openError = errno;
    ::close(dirFd);
    if (fd_ < 0) {
        if (openError == ELOOP) {
            found_ = true;
            refusal_ = tr("it is a symbolic link");
        }
        return;
    }
    if (::fstat(fd_, &status_) != 0) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    found_ = true;
    refusal_ = Distrust(folderStatus, Subject::Folder);
    if (refusal_.isEmpty() && !S_ISREG(status_.st_mode))
        refusal_ = tr("it is not a regular file");
    if (refusal_.isEmpty())
        refusal_ = Distrust(status_, Subject::File);
    if (refusal_.isEmpty())
        ChooseLoadName();
}

PluginFile::~PluginFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

void PluginFile::ChooseLoadName() {
    // The loader takes a name it already knows for the library loaded under it, even when that
    // descriptor number has been closed and reused since (a library that cannot be unloaded keeps
    // its name): move the descriptor to a number no loaded library is named after.
    loadName_ = FdPath(fd_);
    while (LoaderHasName(loadName_)) {
        const int moved = ::fcntl(fd_, F_DUPFD_CLOEXEC, fd_ + 1);
        if (moved < 0) {
            const QString reason = QString::fromLocal8Bit(std::strerror(errno));
            refusal_ = tr("it cannot be opened: %1").arg(reason);
            return;
        }
        ::close(fd_);
        fd_ = moved;
        loadName_ = FdPath(fd_);
    }
}
