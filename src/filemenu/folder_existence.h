#pragma once

#include <QByteArray>

#include <chrono>
#include <functional>
#include <vector>

// Tests whether folders exist without letting a hanging file system (an unmounted or unreachable
// share) freeze the screen: every folder is tested on its own thread, and whatever has not answered
// when the time is up counts as missing. Threads still waiting are left to finish on their own.
using FolderProbe = std::function<bool(const QByteArray& path)>;

// Whether the path names a folder (a symbolic link counts as what it points to).
bool IsExistingFolder(const QByteArray& path);

constexpr std::chrono::milliseconds kExistenceTimeLimit{1500};

std::vector<bool> TestFoldersExist(const std::vector<QByteArray>& paths,
                                   std::chrono::milliseconds timeLimit = kExistenceTimeLimit,
                                   const FolderProbe& probe = IsExistingFolder);
