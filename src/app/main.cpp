#include "app/command_line.h"
#include "app/media_screens.h"
#include "app/phone_remote.h"
#include "app/services.h"
#include "app/startup.h"
#include "dialogs/config.h"
#include "filemenu/file_menu.h"
#include "input/remote_input.h"
#include "platform/after_first_paint.h"
#include "platform/application.h"
#include "platform/display_check.h"
#include "platform/heap_tuning.h"
#include "platform/session_bus.h"
#include "platform/sleep_watch.h"
#include "platform/translations.h"
#include "settings/store.h"
#include "spi/spis.h"
#include "ui/screen_stack.h"

#include <memory>

namespace {
// COUCHFRAME_PHONE_PORT moves the phone remote off its usual port (another program has it, or a
// test runs its own).
quint16 PhoneRemotePort() {
    bool ok = false;
    const uint port = qEnvironmentVariable("COUCHFRAME_PHONE_PORT").toUInt(&ok);
    return ok && port <= 65535 ? static_cast<quint16>(port) : PhoneServer::kDefaultPort;
}
} // namespace

int main(int argc, char** argv) {
    // Hours of playback free and take frame-sized blocks all the time.
    KeepLargeBlocksMapped();
    if (const auto exitCode = RunCommandLineOnly(argc, argv))
        return *exitCode;
    auto displayGuard = std::make_unique<DisplayStartGuard>();
    Application app(argc, argv);
    displayGuard.reset();
    InstallTranslation(app);

    SteadyClock clock;
    SettingsStore store;
    Services services(clock, store, SystemBusIfAny());
    RemoteInputDevices remotes(services.input);
    // A receiver may come back from a sleep as a new device node, or not tell the folder watch.
    QObject::connect(&services.sleep, &SleepWatch::wokeUp, &remotes, &RemoteInputDevices::Rescan);
    TSPIs plugins(&store);

    MediaScreens mediaScreens(services.Screens(&plugins));
    MainMenuScreens screens;
    screens.folderList = [&mediaScreens, &services](int category) -> std::unique_ptr<Form> {
        auto folderList = std::make_unique<TFile_Menu>(mediaScreens, services.FolderLists());
        folderList->category = category;
        return folderList;
    };
    PhoneRemote phone(clock, store, services.input, services.sessions, PhoneRemotePort());
    QObject::connect(&services.sleep, &SleepWatch::wokeUp, &phone, &PhoneRemote::Start);
    screens.phone = [&phone] { return phone.MakeScreen(); };
    screens.watchSettings = [&phone](std::function<void()> then) {
        phone.Setup().saved = std::move(then);
    };
    screens.configurationDialog = [&phone] {
        return phone.MakeConfigurationDialog(MakeConfigurationDialog);
    };
    ScreenStack window(services.input);
    // The phones are served once the menu is up: start-up does not wait for the network.
    AfterFirstPaint(&window, [&phone] { phone.Start(); });
    const int status = RunCouchframe(app, window, screens, services.sessions, plugins, store);
    services.refusedWrites.LastTry();
    return status;
}
