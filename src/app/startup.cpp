#include "app/startup.h"

#include "app/close_screens.h"
#include "app/first_paint_report.h"
#include "app/menu_media_session.h"
#include "platform/application.h"
#include "platform/mpris.h"
#include "platform/session_bus.h"
#include "platform/termination_signals.h"
#include "ui/screen_stack.h"

#include <QPointer>

int RunCouchframe(Application& app, ScreenStack& window, const MainMenuScreens& screens,
                  MediaSessions& sessions, TSPIs& plugins, SettingsStore& store) {
    QApplication::setApplicationName(QStringLiteral("Couchframe"));
    // Maximised from the start: a first show that a store error cuts short still covers the
    // screen.
    window.PlaceFullScreen();
    auto menu = std::make_unique<Tmain_form>(screens.configurationDialog, screens.folderList,
                                             QApplication::arguments().mid(1), plugins, store);
    if (screens.phone)
        menu->SetPhoneScreen(screens.phone);
    if (screens.watchSettings)
        screens.watchSettings([shown = QPointer<Tmain_form>(menu.get())] {
            if (shown)
                shown->SettingsStoredElsewhere();
        });
    window.Push(std::move(menu));
    // Only the exit code closes the main menu, and with it the application.
    QObject::connect(&window, &ScreenStack::emptied, &app, &QCoreApplication::quit);
    // A logout or a service stop closes the screens as Esc would, so their preferences are kept.
    TerminationSignals termination([&window](int) { CloseEveryScreen(window); });
    MenuMediaSession menus(window);
    sessions.SetFallback(&menus);
    MprisService mpris(sessions, SessionBusIfAny());
    ReportFirstPaintWhenAsked(&window);
    window.show();
    const int status = QApplication::exec();
    sessions.SetFallback(nullptr);
    return status;
}
