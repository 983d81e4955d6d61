#pragma once

#include <QLabel>
#include <QTimer>

// A short-lived text over the player, in video and music mode alike: the play state, mute and
// volume as a large indicator, track choices and the resume note as a smaller line. A new text
// replaces the one shown and starts its time afresh.
class ScreenNote : public QLabel {
public:
    enum class Size {
        Indicator, // centred, characters a tenth of the screen's height
        Note,      // at the top left, characters a twentieth of the screen's height
        Mark,      // at the top right, characters a tenth of the screen's height
        Times,     // at the bottom right above the progress strip, a twentieth
    };

    explicit ScreenNote(QWidget* parent);

    // Shown for the time given; for good when it is 0.
    void ShowText(const QString& text, Size size, int milliseconds);
    // The character height in pixels for a screen of that height.
    static int TextHeight(Size size, int screenHeight);

private:
    void Place(Size size);
    QTimer hideTimer_;
};

// The indicator texts.
QString PlayStateIndicator(bool paused);
QString MuteIndicator(bool muted);
QString VolumeIndicator(int volume);
// "0:12:34 / 0:45:00": the time played and the length, whole seconds.
QString TimesText(double position, double length);
