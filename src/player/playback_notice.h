#pragma once

#include <QLabel>
#include <QStringList>

class Timer;

// A few lines over the top of the player screen telling what could not be played, readable from
// the sofa; playback goes on behind it. It disappears a while after the last line came.
class PlaybackNotice : public QLabel {
public:
    // Lines at most; older ones give way.
    static constexpr int kMaxLines = 4;
    static constexpr int kShownMilliseconds = 8000;

    explicit PlaybackNotice(QWidget* parent);

    // Adds the message (a repeat of a line shown is not added again) and shows the notice across
    // the top of the parent.
    void Show(const QString& message);
    const QStringList& Lines() const { return lines_; }

    // The character height on a screen that many pixels high.
    static int TextHeight(int screenHeight);

private:
    void Expire();

    QStringList lines_;
    Timer* timer_;
};
