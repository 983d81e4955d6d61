#include "app/startup.h"

#include "app/close_screens.h"
#include "app/first_paint_report.h"
#include "app/menu_media_session.h"
#include "platform/application.h"
#include "platform/mpris.h"
#include "platform/session_bus.h"
#include "platform/termination_signals.h"

int RunCouchframe(Application& app, const MainMenuScreens& screens) {
    QApplication::setApplicationName(QStringLiteral("Couchframe"));
    Tmain_form main_form(screens.configurationDialog, screens.folderList,
                         QApplication::arguments().mid(1));
    // Only the exit code closes the main menu, and with it the application.
    QObject::connect(&main_form, &QDialog::finished, &app, &QCoreApplication::quit);
    // A logout or a service stop closes the screens as Esc would, so their preferences are kept.
    TerminationSignals termination([&main_form](int) { CloseEveryScreen(&main_form); });
    MenuMediaSession menus;
    MediaSessions::SetFallback(&menus);
    MprisService mpris(SessionBusIfAny());
    ReportFirstPaintWhenAsked(&main_form);
    main_form.show();
    const int status = QApplication::exec();
    MediaSessions::SetFallback(nullptr);
    return status;
}
