#include "platform/message_box.h"

#include "platform/fonts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <list>

namespace {
MessageSink& Sink() {
    static MessageSink sink;
    return sink;
}

struct Message {
    MessageKind kind;
    QString text;
    int count = 1;
};

// The message shown (first) and those waiting for it to close, each once.
struct MessageQueue {
    std::list<Message> messages;
    QPointer<QMessageBox> box;
    bool showing = false;
};

MessageQueue& Queue() {
    static MessageQueue queue;
    return queue;
}

QString BoxText(const Message& message) {
    if (message.count == 1)
        return message.text;
    return QStringLiteral("%1\n\n(%2 times)").arg(message.text).arg(message.count);
}

QMessageBox::Icon IconOf(MessageKind kind) {
    if (kind == MessageKind::Warning)
        return QMessageBox::Warning;
    if (kind == MessageKind::Information)
        return QMessageBox::Information;
    return QMessageBox::Critical;
}

void RunBox(MessageQueue& queue, const Message& message) {
    QWidget* owner = QApplication::activeWindow();
    QMessageBox box(IconOf(message.kind), QApplication::applicationName(), BoxText(message),
                    QMessageBox::Ok, owner);
    // Paths and messages of outside libraries are text, never markup.
    box.setTextFormat(Qt::PlainText);
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen)
        box.setFont(ScreenFont(-MessageTextHeight(screen->geometry().height()), false));
    // The screens stay on top; the box must stay above them.
    box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
    queue.box = &box;
    box.exec();
    queue.box = nullptr;
}
} // namespace

void SetMessageSink(MessageSink sink) {
    Sink() = std::move(sink);
}

int MessageTextHeight(int screenHeight) {
    return std::max(12, screenHeight / 30);
}

void ShowMessage(MessageKind kind, const QString& text) {
    if (Sink()) {
        Sink()(kind, text);
        return;
    }
    MessageQueue& queue = Queue();
    for (Message& message : queue.messages) {
        if (message.kind == kind && message.text == text) {
            ++message.count;
            if (&message == &queue.messages.front() && queue.box)
                queue.box->setText(BoxText(message));
            return;
        }
    }
    queue.messages.push_back(Message{kind, text});
    if (queue.showing)
        return;
    queue.showing = true;
    while (!queue.messages.empty() && !QCoreApplication::closingDown()) {
        RunBox(queue, queue.messages.front());
        queue.messages.pop_front();
    }
    queue.messages.clear();
    queue.showing = false;
}
