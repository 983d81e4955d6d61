#include "app/command_line.h"
#include "app/media_screens.h"
#include "app/startup.h"
#include "dialogs/config.h"
#include "filemenu/file_menu.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/display_check.h"
#include "platform/translations.h"

#include <memory>

int main(int argc, char** argv) {
    if (const auto exitCode = RunCommandLineOnly(argc, argv))
        return *exitCode;
    auto displayGuard = std::make_unique<DisplayStartGuard>();
    Application app(argc, argv);
    displayGuard.reset();
    InstallTranslation(app);
    SteadyClock clock;
    MediaScreens mediaScreens;
    MainMenuScreens screens;
    screens.configurationDialog = MakeConfigurationDialog;
    screens.folderList = [&mediaScreens, &clock](int category) -> std::unique_ptr<QDialog> {
        auto folderList = std::make_unique<TFile_Menu>(mediaScreens, clock);
        folderList->category = category;
        return folderList;
    };
    return RunCouchframe(app, screens);
}
