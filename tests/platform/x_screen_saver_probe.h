#pragma once

#include <QByteArray>

struct _XDisplay;

// A test's own connection to an X server for looking at its screen saver (kept apart from the
// test code: Xlib's macros clash with GoogleTest's names).
class XScreenSaverProbe {
public:
    explicit XScreenSaverProbe(const QByteArray& display);
    ~XScreenSaverProbe();
    bool Connected() const { return display_ != nullptr; }
    bool HasExtension() const;
    // As "xset s SECONDS SECONDS" does.
    void SetTimeout(int seconds);
    // Whether the saver is on now (XScreenSaverQueryInfo).
    bool SaverOn() const;

private:
    _XDisplay* display_;
};
