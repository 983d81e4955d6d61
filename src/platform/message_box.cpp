#include "platform/message_box.h"

#include "platform/fonts.h"
#include "platform/screen_changes.h"
#include "platform/ten_foot.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <list>
#include <memory>

namespace {
struct Message {
    MessageKind kind;
    QString text;
    int count = 1;
};

// The message shown (first) and those waiting for it to close, each once.
struct MessageQueue {
    std::list<Message> messages;
    QPointer<MessageBoxDialog> box;
    bool showing = false;
};

MessageQueue& Queue() {
    static MessageQueue queue;
    return queue;
}

QString BoxText(const Message& message) {
    if (message.count == 1)
        return message.text;
    return QCoreApplication::translate("Platform", "%1\n\n(%2 times)")
        .arg(message.text)
        .arg(message.count);
}

QStyle::StandardPixmap PixmapOf(MessageKind kind) {
    if (kind == MessageKind::Warning)
        return QStyle::SP_MessageBoxWarning;
    if (kind == MessageKind::Information)
        return QStyle::SP_MessageBoxInformation;
    return QStyle::SP_MessageBoxCritical;
}

// The box's measures in dialog units: text a thirtieth of the screen high, the box at least half
// the screen high and two thirds of it wide; smaller text, down to the dialogs' own, only when a
// long message would not fit on the screen otherwise.
constexpr int kMessageTextUnits = 16;
constexpr int kMinimumBoxUnits = DialogUnits::kUnitsPerScreen / 2;
constexpr int kButtonUnits = 28;
constexpr int kButtonWidthUnits = 100;

void RunBox(MessageQueue& queue, const Message& message) {
    MessageBoxDialog box(message.kind, BoxText(message), QApplication::activeWindow());
    queue.box = &box;
    box.exec();
    queue.box = nullptr;
}
} // namespace

// Text laid out in lines as wide as the widget: at word boundaries where it can, anywhere where a
// word (a path) is wider than a line.
class WrappedText : public QWidget {
public:
    using QWidget::QWidget;

    const QString& Text() const { return text_; }
    void SetText(const QString& text) {
        text_ = text;
        setAccessibleName(text);
        update();
    }
    int HeightFor(int width) const {
        int height = 0;
        Lines(width, &height);
        return height;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        Lines(width(), nullptr)->draw(&painter, QPointF());
    }

private:
    std::unique_ptr<QTextLayout> Lines(int width, int* height) const {
        QString shown = text_;
        shown.replace(QLatin1Char('\n'), QChar(QChar::LineSeparator));
        auto layout = std::make_unique<QTextLayout>(shown, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout->setTextOption(option);
        layout->beginLayout();
        qreal y = 0;
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout->endLayout();
        if (height)
            *height = qCeil(y);
        return layout;
    }

    QString text_;
};

MessageBoxDialog::MessageBoxDialog(MessageKind kind, const QString& text, QWidget* owner)
    : QDialog(owner), kind_(kind), icon_(new QLabel(this)), text_(new WrappedText(this)),
      ok_(new QPushButton(QCoreApplication::translate("Platform", "OK"), this)) {
    setWindowTitle(QApplication::applicationName());
    // The screens stay on top; the box must stay above them.
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    text_->SetText(text);
    focusFrame_ = new FocusFrame(*this);
    ok_->setDefault(true);
    ok_->setFocus();
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(new ScreenChanges(this), &ScreenChanges::changed, this, &MessageBoxDialog::LayOut);
    LayOut();
}

QString MessageBoxDialog::Text() const {
    return text_->Text();
}

void MessageBoxDialog::SetText(const QString& text) {
    text_->SetText(text);
    LayOut();
}

QWidget* MessageBoxDialog::TextArea() const {
    return text_;
}

int MessageBoxDialog::TextHeight() const {
    return text_->HeightFor(text_->width());
}

void MessageBoxDialog::keyPressEvent(QKeyEvent* event) {
    // A remote's Back, as Esc.
    if (event->key() == Qt::Key_Back || event->key() == Qt::Key_Close) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MessageBoxDialog::LayOut() {
    const QScreen* screen = UsableScreenFor(*this);
    if (!screen)
        return; // laid out when a screen is back
    const QRect area = screen->availableGeometry();
    const DialogUnits u(screen->geometry().height());
    focusFrame_->SetUnits(u);

    const int width = std::min(area.width(), std::max(u(kMinimumBoxUnits), area.width() * 2 / 3));
    int textUnits = kMessageTextUnits;
    int margin = 0;
    int iconSize = 0;
    int textWidth = 0;
    int textHeight = 0;
    for (;; --textUnits) {
        SetFontThroughout(*this, ScreenFont(-u(textUnits), false));
        margin = u(textUnits);
        iconSize = 2 * u(textUnits);
        textWidth = width - iconSize - 3 * margin;
        textHeight = text_->HeightFor(textWidth);
        const int needed = std::max(iconSize, textHeight) + u(kButtonUnits) + 3 * margin;
        if (needed <= area.height() || textUnits == DialogUnits::kTextUnits)
            break;
    }
    const int buttonHeight = u(kButtonUnits);
    const int content = std::max(iconSize, textHeight);
    const int height =
        std::min(area.height(), std::max(u(kMinimumBoxUnits), content + buttonHeight + 3 * margin));
    setFixedSize(width, height);

    // The text and its icon in the middle of the room above the button.
    const int top = margin + std::max(0, (height - buttonHeight - 3 * margin - content) / 2);
    icon_->setPixmap(
        style()
            ->standardIcon(PixmapOf(kind_))
            .pixmap(iconSize)
            .scaled(iconSize, iconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon_->setGeometry(margin, top, iconSize, iconSize);
    text_->setGeometry(2 * margin + iconSize, top, textWidth,
                       std::min(textHeight, height - buttonHeight - 2 * margin - top));
    const int buttonWidth = std::max(u(kButtonWidthUnits), ok_->sizeHint().width());
    ok_->setGeometry(width - margin - buttonWidth, height - margin - buttonHeight, buttonWidth,
                     buttonHeight);

    QRect bounds(QPoint(), size());
    bounds.moveCenter(area.center());
    move(bounds.topLeft());
}

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
                queue.box->SetText(BoxText(message));
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
