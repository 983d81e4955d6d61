#include "app/startup.h"

#include "app/first_paint_report.h"
#include "platform/application.h"

int RunCouchframe(Application& app, const MainMenuScreens& screens) {
    QApplication::setApplicationName(QStringLiteral("Couchframe"));
    Tmain_form main_form(screens.configurationDialog, screens.folderList,
                         QApplication::arguments().mid(1));
    // Only the exit code closes the main menu, and with it the application.
    QObject::connect(&main_form, &QDialog::finished, &app, &QCoreApplication::quit);
    ReportFirstPaintWhenAsked(&main_form);
    main_form.show();
    return app.exec();
}
