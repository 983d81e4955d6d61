#include "app/command_line.h"

#include "platform/application.h"

#include <cstdio>
#include <cstring>

namespace {
const char kUsage[] =
    "Usage: couchframe [/CONFIG | --config]\n"
    "       couchframe --export-settings FILE\n"
    "       couchframe --import-settings FILE\n"
    "\n"
    "Full-screen living-room media front end.\n"
    "\n"
    "  /CONFIG, --config        open the settings dialog before the main menu\n"
    "  --export-settings FILE   write every setting to FILE in .reg text format (- for stdout)\n"
    "  --import-settings FILE   read settings from a .reg text file (- for stdin)\n"
    "  --help                   show this help and exit\n"
    "  --version                show the version and exit\n";
} // namespace

std::optional<int> RunCommandLineOnly(int argc, char** argv) {
    if (argc < 2)
        return std::nullopt;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("couchframe %s\n", COUCHFRAME_VERSION);
        return 0;
    }
    return std::nullopt;
}

int RunCouchframe(Application& app) { return app.exec(); }
