#include "platform/message_box.h"

#include "platform/fonts.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <list>

namespace {
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

// Characters a thirtieth of the screen high: readable from the sofa.
int MessageTextHeight(int screenHeight) {
    return std::max(12, screenHeight / 30);
}

QStyle::StandardPixmap PixmapOf(MessageKind kind) {
    if (kind == MessageKind::Warning)
        return QStyle::SP_MessageBoxWarning;
    if (kind == MessageKind::Information)
        return QStyle::SP_MessageBoxInformation;
    return QStyle::SP_MessageBoxCritical;
}

// Large text on a wide box, with an icon to match: the box lays itself out for desktop text
// otherwise, a few words to a line.
void ScaleForTheRoom(QMessageBox& box, MessageKind kind, const QScreen* screen) {
    const int textHeight = MessageTextHeight(screen ? screen->geometry().height() : 0);
    const int iconSize = 2 * textHeight;
    box.setIconPixmap(
        box.style()
            ->standardIcon(PixmapOf(kind))
            .pixmap(iconSize)
            .scaled(iconSize, iconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    if (!screen)
        return;
    box.setFont(ScreenFont(-textHeight, false));
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        label->setMinimumWidth(screen->geometry().width() / 2);
}

void RunBox(MessageQueue& queue, const Message& message) {
    QWidget* owner = QApplication::activeWindow();
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), BoxText(message),
                    QMessageBox::Ok, owner);
    // Paths and messages of outside libraries are text, never markup.
    box.setTextFormat(Qt::PlainText);
    ScaleForTheRoom(box, message.kind, owner ? owner->screen() : QGuiApplication::primaryScreen());
    // The screens stay on top; the box must stay above them.
    box.setWindowFlags(box.windowFlags() | Qt::WindowStaysOnTopHint);
    queue.box = &box;
    box.exec();
    queue.box = nullptr;
}
} // namespace

Seam<MessageSink>& MessageSeam() {
    static Seam<MessageSink> seam;
    return seam;
}

void ShowMessage(MessageKind kind, const QString& text) {
    if (const auto& sink = MessageSeam().StandIn()) {
        (*sink)(kind, text);
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
