#include "spi/plugin_file_check.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

bool PluginFileIsTrusted(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return true; // nothing there to trust or distrust: loading it fails by itself
    const char* reason = nullptr;
    if (st.st_uid != 0 && st.st_uid != ::geteuid())
        reason = "it is owned by another user";
    else if (st.st_mode & (S_IWGRP | S_IWOTH))
        reason = "it is writable by group or others";
    if (reason == nullptr)
        return true;
    std::fprintf(stderr, "couchframe: refusing to load plug-in %s: %s\n", path.constData(), reason);
    return false;
}
