#pragma once

#include "app/mainmenu.h"
#include "dialogs/configuration_dialog.h"

class Application;
class MediaSessions;
class ScreenStack;

// The screens the main menu opens; any may be empty while it is not available.
struct MainMenuScreens {
    ConfigurationDialogFactory configurationDialog;
    FolderListFactory folderList;
    PhoneScreenFactory phone;
    // Given what to run when settings are stored from elsewhere (a phone) while the menu is up.
    std::function<void(std::function<void()>)> watchSettings;
};

// Puts the main menu on the window, shows it and runs the event loop until the main menu closes;
// returns the exit status.
int RunCouchframe(Application& app, ScreenStack& window, const MainMenuScreens& screens,
                  MediaSessions& sessions, TSPIs& plugins, SettingsStore& store);
