// Makes file-system calls on chosen paths stall until released, as a sleeping or hung share does,
// or fail with EIO, as a share that went away does. Linked into a test binary (or preloaded with
// LD_PRELOAD) it stands in front of the C library's opendir, the stat family, access, open and
// read; a call on a path that begins with the held prefix waits until the test releases it, and
// an open or a read of a file below the failing prefix fails until the test mends it.
#include "stall_shim.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace {
// Never destroyed: destroying a condition variable that calls still wait on would hang the exit.
struct State {
    std::mutex mutex;
    std::condition_variable changed;
    std::string held; // empty: nothing stalls
    int waiting = 0;
};
State& state = *new State;
std::mutex& mutex = state.mutex;
std::condition_variable& changed = state.changed;
std::string& held = state.held;
int& waiting = state.waiting;
std::atomic<bool> holding{false};

bool IsHeld(const char* path) {
    return path != nullptr && !held.empty() && std::strncmp(path, held.c_str(), held.size()) == 0;
}

void StallOn(const char* path) {
    if (!holding.load())
        return;
    std::unique_lock lock(mutex);
    if (!IsHeld(path))
        return;
    ++waiting;
    changed.notify_all();
    changed.wait(lock, [path] { return !IsHeld(path); });
    --waiting;
    changed.notify_all();
}

void StallOnAt(int dirFd, const char* path) {
    if (!holding.load() || path == nullptr)
        return;
    if (path[0] == '/' || dirFd == AT_FDCWD) {
        StallOn(path);
        return;
    }
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", dirFd);
    char folder[PATH_MAX];
    const ssize_t n = readlink(link, folder, sizeof folder - 1);
    if (n <= 0)
        return;
    folder[n] = '\0';
    StallOn((std::string(folder) + '/' + path).c_str());
}

// The failing prefix; empty: nothing fails. Never destroyed, as the state above.
std::mutex& failMutex = *new std::mutex;
std::string& failing = *new std::string;
std::atomic<bool> anyFailing{false};

bool Fails(const char* path) {
    if (!anyFailing.load() || path == nullptr)
        return false;
    const std::lock_guard lock(failMutex);
    return !failing.empty() && std::strncmp(path, failing.c_str(), failing.size()) == 0;
}

bool FdFails(int fd) {
    if (!anyFailing.load())
        return false;
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[PATH_MAX];
    const ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0)
        return false;
    path[n] = '\0';
    return Fails(path);
}

template <typename Function> Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// A read of a file below the failing prefix fails with EIO; any other goes through.
template <typename Read, typename... Rest> ssize_t ReadThrough(Read next, int fd, Rest... rest) {
    if (FdFails(fd)) {
        errno = EIO;
        return -1;
    }
    return next(fd, rest...);
}

// open and open64 take a mode only when they may create the file.
int OpenThrough(const char* function, const char* path, int flags, va_list arguments) {
    StallOn(path);
    if (Fails(path)) {
        errno = EIO;
        return -1;
    }
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(arguments, mode_t) : 0;
    return Next<int (*)(const char*, int, ...)>(function)(path, flags, mode);
}
} // namespace

extern "C" {

void stall_shim_hold(const char* prefix) {
    const std::lock_guard lock(mutex);
    held = prefix;
    holding = !held.empty();
    changed.notify_all();
}

void stall_shim_release(void) {
    stall_shim_hold("");
}

void stall_shim_fail(const char* prefix) {
    const std::lock_guard lock(failMutex);
    failing = prefix;
    anyFailing = !failing.empty();
}

void stall_shim_mend(void) {
    stall_shim_fail("");
}

ssize_t read(int fd, void* buffer, size_t size) {
    static const auto next = Next<ssize_t (*)(int, void*, size_t)>("read");
    return ReadThrough(next, fd, buffer, size);
}

ssize_t pread64(int fd, void* buffer, size_t size, off64_t offset) {
    static const auto next = Next<ssize_t (*)(int, void*, size_t, off64_t)>("pread64");
    return ReadThrough(next, fd, buffer, size, offset);
}

ssize_t pread(int fd, void* buffer, size_t size, off_t offset) {
    static const auto next = Next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    return ReadThrough(next, fd, buffer, size, offset);
}

int stall_shim_waiting(void) {
    const std::lock_guard lock(mutex);
    return waiting;
}

int stall_shim_wait_for_stalled(int count, int timeoutMs) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [count] { return waiting >= count; })
               ? 1
               : 0;
}

DIR* opendir(const char* name) {
    StallOn(name);
    static const auto next = Next<DIR* (*)(const char*)>("opendir");
    return next(name);
}

int stat(const char* path, struct stat* info) noexcept {
    StallOn(path);
    static const auto next = Next<int (*)(const char*, struct stat*)>("stat");
    return next(path, info);
}

int lstat(const char* path, struct stat* info) noexcept {
    StallOn(path);
    static const auto next = Next<int (*)(const char*, struct stat*)>("lstat");
    return next(path, info);
}

int fstatat(int dirFd, const char* path, struct stat* info, int flags) noexcept {
    StallOnAt(dirFd, path);
    static const auto next = Next<int (*)(int, const char*, struct stat*, int)>("fstatat");
    return next(dirFd, path, info, flags);
}

int stat64(const char* path, struct stat64* info) noexcept {
    StallOn(path);
    static const auto next = Next<int (*)(const char*, struct stat64*)>("stat64");
    return next(path, info);
}

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int fd = OpenThrough("open", path, flags, arguments);
    va_end(arguments);
    return fd;
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int fd = OpenThrough("open64", path, flags, arguments);
    va_end(arguments);
    return fd;
}

int access(const char* path, int mode) noexcept {
    StallOn(path);
    static const auto next = Next<int (*)(const char*, int)>("access");
    return next(path, mode);
}
}
