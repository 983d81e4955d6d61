#include "app/command_line.h"
#include "app/startup.h"
#include "platform/application.h"

int main(int argc, char** argv) {
    if (const auto exitCode = RunCommandLineOnly(argc, argv))
        return *exitCode;
    Application app(argc, argv);
    return RunCouchframe(app, MainMenuScreens{});
}
