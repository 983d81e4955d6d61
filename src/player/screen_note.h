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
    };

    explicit ScreenNote(QWidget* parent);

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
