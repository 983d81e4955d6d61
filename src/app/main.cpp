#include "app/command_line.h"
#include "app/media_screens.h"
#include "app/startup.h"
#include "dialogs/config.h"
#include "filemenu/file_menu.h"
#include "platform/application.h"

int main(int argc, char** argv) {
    if (const auto exitCode = RunCommandLineOnly(argc, argv))
        return *exitCode;
    Application app(argc, argv);
    MediaScreens mediaScreens;
    SetMediaScreenFactory(&mediaScreens);
    MainMenuScreens screens;
    screens.configurationDialog = MakeConfigurationDialog;
    screens.folderList = [](int category) -> std::unique_ptr<QDialog> {
        auto folderList = std::make_unique<TFile_Menu>();
        folderList->category = category;
        return folderList;
    };
    return RunCouchframe(app, screens);
}
