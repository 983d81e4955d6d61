#include "platform/display_check.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace {
QtMessageHandler gPrevious = nullptr;

QList<QByteArray>& Held() {
    static QList<QByteArray> messages;
    return messages;
}

void HoldOrFail(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        Held().append(message.toLocal8Bit());
        return;
    }
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    QByteArrayList tried;
    if (!display.isEmpty())
        tried += "DISPLAY=" + display;
    if (!wayland.isEmpty())
        tried += "WAYLAND_DISPLAY=" + wayland;
    // The variables' values are printed as their bytes.
    const QByteArray reason =
        tried.isEmpty()
            ? QCoreApplication::translate("Platform", "neither DISPLAY nor WAYLAND_DISPLAY is set")
                  .toLocal8Bit()
            : QCoreApplication::translate("Platform", "tried %1")
                  .toLocal8Bit()
                  .replace("%1", tried.join(' '));
    std::fprintf(stderr, "couchframe: %s\n",
                 QCoreApplication::translate("Platform",
                                             "cannot open a display: no X server or Wayland "
                                             "compositor could be reached (%1)")
                     .toLocal8Bit()
                     .replace("%1", reason)
                     .constData());
    std::fflush(stderr);
    std::_Exit(1);
}
} // namespace

DisplayStartGuard::DisplayStartGuard() {
    gPrevious = qInstallMessageHandler(HoldOrFail);
}

DisplayStartGuard::~DisplayStartGuard() {
    qInstallMessageHandler(gPrevious);
    for (const QByteArray& message : Held())
        std::fprintf(stderr, "%s\n", message.constData());
    Held().clear();
}
