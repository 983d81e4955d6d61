#pragma once

#include "app/mainmenu.h"
#include "dialogs/configuration_dialog.h"

class Application;

// The screens the main menu opens; either may be empty while it is not available.
struct MainMenuScreens {
    ConfigurationDialogFactory configurationDialog;
    FolderListFactory folderList;
};

// Creates and shows the main menu and runs the event loop until it closes; returns the exit status.
int RunCouchframe(Application& app, const MainMenuScreens& screens);
