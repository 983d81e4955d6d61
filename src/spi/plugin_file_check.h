#pragma once

#include <QByteArray>

// A plug-in runs with the user's rights, so only a file that nobody else could have changed is
// loaded: owned by root or the current user, not writable by group or others. A refusal is told on
// standard error; the function answers whether the file may be loaded.
bool PluginFileIsTrusted(const QByteArray& path);
