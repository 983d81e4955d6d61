#include "platform/display_check.h"

#include <QByteArray>
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
    QByteArray tried;
    if (!display.isEmpty())
        tried += " DISPLAY=" + display;
    if (!wayland.isEmpty())
        tried += " WAYLAND_DISPLAY=" + wayland;
    std::fprintf(stderr,
                 "couchframe: cannot open a display: no X server or Wayland compositor could be "
                 "reached (%s)\n",
                 tried.isEmpty() ? "neither DISPLAY nor WAYLAND_DISPLAY is set"
                                 : ("tried" + tried).constData());
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
