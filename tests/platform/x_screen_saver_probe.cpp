#include "x_screen_saver_probe.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

XScreenSaverProbe::XScreenSaverProbe(const QByteArray& display)
    : display_(XOpenDisplay(display.constData())) {}

XScreenSaverProbe::~XScreenSaverProbe() {
    if (display_)
        XCloseDisplay(display_);
}

bool XScreenSaverProbe::HasExtension() const {
    int event = 0, error = 0;
    return XScreenSaverQueryExtension(display_, &event, &error);
}

void XScreenSaverProbe::SetTimeout(int seconds) {
    XSetScreenSaver(display_, seconds, seconds, DontPreferBlanking, AllowExposures);
    XSync(display_, False);
}

bool XScreenSaverProbe::SaverOn() const {
    XScreenSaverInfo info{};
    XScreenSaverQueryInfo(display_, DefaultRootWindow(display_), &info);
    return info.state == ScreenSaverOn;
}
