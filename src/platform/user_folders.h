#pragma once

#include <QString>

// The program's own folder below $XDG_CONFIG_HOME (default ~/.config/couchframe): the settings
// store and the user's mpv.conf live there. A relative $XDG_CONFIG_HOME is ignored, as the XDG
// base-directory rules say.
QString UserConfigFolder();
