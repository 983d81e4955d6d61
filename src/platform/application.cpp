#include "platform/application.h"

#include "platform/error.h"
#include "platform/message_box.h"

#include <clocale>

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Couchframe"));
    setApplicationVersion(QStringLiteral(COUCHFRAME_VERSION));
    // libmpv refuses to start unless numbers are formatted the C way.
    std::setlocale(LC_NUMERIC, "C");
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportError(error);
        return true;
    }
}

void ReportError(const std::exception& error) {
    if (dynamic_cast<const EAbort*>(&error))
        return;
    if (const auto* appError = dynamic_cast<const AppError*>(&error))
        ShowMessage(MessageKind::Error, appError->message());
    else
        ShowMessage(MessageKind::Error, QString::fromUtf8(error.what()));
}
