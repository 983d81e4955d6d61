#include "app/panel.h"

#include <QMouseEvent>
#include <QPainter>

Panel::Panel(QWidget* parent) : QWidget(parent) {}

void Panel::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void Panel::SetColor(StoredColor color) {
    color_ = color;
    update();
}

void Panel::SetFontColor(StoredColor color) {
    fontColor_ = color;
    update();
}

void Panel::SetBevelOuter(Bevel bevel) {
    bevelOuter_ = bevel;
    update();
}

void Panel::SetBevelWidth(int width) {
    bevelWidth_ = qMax(0, width);
    update();
}

void Panel::SetAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void Panel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(color_));
    if (bevelOuter_ != Bevel::None && bevelWidth_ > 0) {
        // Light from the top left: a raised edge is bright there and dark at the bottom right.
        const QColor light(Qt::white);
        const QColor shadow(Qt::gray);
        const QColor& topLeft = bevelOuter_ == Bevel::Raised ? light : shadow;
        const QColor& bottomRight = bevelOuter_ == Bevel::Raised ? shadow : light;
        const int w = width();
        const int h = height();
        for (int i = 0; i < bevelWidth_; ++i) {
            painter.fillRect(i, i, w - 2 * i, 1, topLeft);
            painter.fillRect(i, i, 1, h - 2 * i, topLeft);
            painter.fillRect(i, h - 1 - i, w - 2 * i, 1, bottomRight);
            painter.fillRect(w - 1 - i, i, 1, h - 2 * i, bottomRight);
        }
    }
    if (!caption_.isEmpty()) {
        painter.setFont(font());
        painter.setPen(ToQColor(fontColor_));
        const int margin = bevelOuter_ == Bevel::None ? 0 : bevelWidth_;
        painter.drawText(rect().adjusted(margin, margin, -margin, -margin), int(alignment_),
                         caption_);
    }
}

void Panel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        leftPressed_ = true;
    if (onMouseDown)
        onMouseDown(*this);
}

void Panel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    // The press moved the panel by a pixel; the release counts as a click when it ends over it.
    const bool click = event->button() == Qt::LeftButton && leftPressed_ &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        leftPressed_ = false;
    if (onMouseUp)
        onMouseUp(*this);
    if (click && onClick)
        onClick(*this);
}

void HighlightPanel(QWidget* parent, int oldTag, int newTag) {
    if (parent == nullptr || newTag == oldTag || newTag < 100)
        return;
    for (QObject* child : parent->children()) {
        auto* panel = qobject_cast<Panel*>(child);
        if (panel == nullptr)
            continue;
        if (panel->Tag() == oldTag)
            panel->SetColor(kPanelUnselectedColor);
        if (panel->Tag() == newTag)
            panel->SetColor(kPanelSelectedColor);
    }
}

int PressPanel(Panel& panel) {
    panel.SetBevelOuter(Panel::Bevel::Lowered);
    panel.move(panel.x() + 1, panel.y() + 1);
    return panel.Tag();
}

int ReleasePanel(Panel& panel) {
    panel.SetBevelOuter(Panel::Bevel::Raised);
    panel.move(panel.x() - 1, panel.y() - 1);
    return panel.Tag();
}
