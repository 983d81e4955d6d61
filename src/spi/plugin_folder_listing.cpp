#include "spi/plugin_folder_listing.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace {

void WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        size -= static_cast<size_t>(n);
    }
}

// The lister's whole life: each regular, not hidden file's name, NUL-terminated, down the pipe. A
// child of a process with many threads may only make system calls: a lock another thread held at
// the fork (in malloc, in the locale's converters) would never be let go. So no opendir and no
// pattern matching here; the names are matched by the parent.
[[noreturn]] void ListInto(int out, const char* dir, pid_t parent) {
    // Ends with the program, even when it is left stuck; its output is not the program's.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(0);
    const int nowhere = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nowhere >= 0) {
        ::dup2(nowhere, STDOUT_FILENO);
        ::dup2(nowhere, STDERR_FILENO);
    }
    const int folder = ::open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        ::_exit(0);
    alignas(dirent64) char buffer[16384];
    for (;;) {
        const long n = ::syscall(SYS_getdents64, folder, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (long at = 0; at < n;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
            at += entry->d_reclen;
            if (entry->d_name[0] == '.')
                continue;
            // Followed, so that a symbolic link is met (and refused with its reason) when it is
            // opened.
            struct stat st {};
            if (::fstatat(folder, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
                continue;
            WriteAll(out, entry->d_name, ::strlen(entry->d_name) + 1);
        }
    }
    ::_exit(0);
}

} // namespace

PluginFolderListing::PluginFolderListing(const QString& dir, const QString& pattern)
    : pattern_(QFile::encodeName(pattern)) {
    const QByteArray encodedDir = QFile::encodeName(dir.isEmpty() ? QStringLiteral(".") : dir);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return;
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        ListInto(fds[1], encodedDir.constData(), parent);
    }
    ::close(fds[1]);
    if (child < 0) {
        ::close(fds[0]);
        return;
    }
    pipe_ = fds[0];
    child_ = child;
}

PluginFolderListing::PluginFolderListing(PluginFolderListing&& other) noexcept
    : pattern_(std::move(other.pattern_)), pipe_(std::exchange(other.pipe_, -1)),
      child_(std::exchange(other.child_, -1)) {}

PluginFolderListing::~PluginFolderListing() {
    if (pipe_ >= 0)
        ::close(pipe_);
    if (child_ > 0) {
        ::kill(child_, SIGKILL);
        // Reaped if it could die; one stuck in the file system is left to the system.
        ::waitpid(child_, nullptr, WNOHANG);
    }
}

std::optional<QStringList>
PluginFolderListing::Wait(std::chrono::steady_clock::time_point deadline) {
    if (pipe_ < 0)
        return QStringList(); // no lister could be started: nothing is found there
    QByteArray received;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{pipe_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(std::max<qint64>(left.count(), 0)));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            return std::nullopt;
        char buffer[4096];
        const ssize_t n = ::read(pipe_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        received.append(buffer, n);
    }
    ::waitpid(std::exchange(child_, -1), nullptr, 0); // it has closed its end: it is ending
    QStringList names;
    for (const QByteArray& name : received.split('\0'))
        if (!name.isEmpty() && ::fnmatch(pattern_.constData(), name.constData(), FNM_CASEFOLD) == 0)
            names.append(QFile::decodeName(name));
    return names;
}
