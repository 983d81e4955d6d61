#pragma once

#include "platform/seam.h"

#include <QDialog>
#include <QString>

#include <functional>

class FocusFrame;
class QLabel;
class QPushButton;
class WrappedText;

enum class MessageKind { Error, Warning, Information };

// Shows a modal message box with a single OK button, in text readable from across the room. One
// box at a time: a message that arrives while a box is open (its event loop runs the program on)
// does not open a second box; a repeat of the open or of a waiting message is counted in that one,
// any other message waits and is shown when the open box closes. A stand-in sink in the seam takes
// every message instead, so that nothing blocks.
void ShowMessage(MessageKind kind, const QString& text);

using MessageSink = std::function<void(MessageKind kind, const QString& text)>;
Seam<MessageSink>& MessageSeam();

// The box ShowMessage opens: an icon, the text wrapped inside the box (a long path breaks where it
// must rather than running past the edge) and OK, all sized for the screen it is shown on.
class MessageBoxDialog : public QDialog {
    Q_OBJECT

public:
    MessageBoxDialog(MessageKind kind, const QString& text, QWidget* owner);

    QString Text() const;
    void SetText(const QString& text);
    QPushButton* OkButton() const { return ok_; }
    // The text's own area, and the height its lines take there.
    QWidget* TextArea() const;
    int TextHeight() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Sizes the box and everything in it for the screen and the text.
    void LayOut();

    MessageKind kind_;
    QLabel* icon_;
    WrappedText* text_;
    QPushButton* ok_;
    FocusFrame* focusFrame_;
};
