#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace {
MessageSink& Sink() {
    static MessageSink sink;
    return sink;
}
} // namespace

void SetMessageSink(MessageSink sink) {
    Sink() = std::move(sink);
}

void ShowMessage(MessageKind kind, const QString& text) {
    if (Sink()) {
        Sink()(kind, text);
        return;
    }
    QMessageBox::Icon icon = QMessageBox::Critical;
    if (kind == MessageKind::Warning)
        icon = QMessageBox::Warning;
    else if (kind == MessageKind::Information)
        icon = QMessageBox::Information;
    QMessageBox box(icon, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    // The screens stay on top; the box must stay above them.
    box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
    box.exec();
}
