#include "app/command_line.h"
#include "app/startup.h"
#include "platform/application.h"
#include "viewer/viewer_screens.h"

int main(int argc, char** argv) {
    if (const auto exitCode = RunCommandLineOnly(argc, argv))
        return *exitCode;
    Application app(argc, argv);
    InstallViewerScreens();
    return RunCouchframe(app, MainMenuScreens{});
}
