#pragma once

#include <optional>

// Handles the options that run without a display (--help, --version, settings import and export)
// and returns the exit status; nothing when the program is to start normally.
std::optional<int> RunCommandLineOnly(int argc, char** argv);
