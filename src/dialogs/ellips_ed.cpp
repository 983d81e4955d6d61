#include "dialogs/ellips_ed.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace {

// Thickness of the edit's sunken border, and of a single border line.
constexpr int kEditBorder = 2;
constexpr int kBorderLine = 1;

bool IsLowerAsciiLetter(QChar c) {
    return c >= QLatin1Char('a') && c <= QLatin1Char('z');
}

// A pixel-sized font's character height is its pixel size; measuring would make the layout depend
// on whichever fonts are installed.
int TextHeight(const QFont& font) {
    return font.pixelSize() > 0 ? font.pixelSize() : QFontMetrics(font).height();
}

} // namespace

TEllipsesButton::TEllipsesButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
}

void TEllipsesButton::SetPressed(bool pressed) {
    pressed_ = pressed;
    update();
}

void TEllipsesButton::mousePressEvent(QMouseEvent* event) {
    QAbstractButton::mousePressEvent(event);
    SetPressed(true);
}

void TEllipsesButton::mouseReleaseEvent(QMouseEvent* event) {
    QAbstractButton::mouseReleaseEvent(event);
    SetPressed(false);
}

void TEllipsesButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor face = palette().color(QPalette::Button);
    const int w = width();
    const int h = height();
    painter.fillRect(rect(), face);
    if (pressed_) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(0, 0, w - 1, h - 1);
    } else {
        painter.setPen(face);
        painter.drawPolyline(QPolygon({QPoint(0, h - 2), QPoint(0, 0), QPoint(w - 1, 0)}));
        painter.setPen(Qt::white);
        painter.drawPolyline(QPolygon({QPoint(1, h - 3), QPoint(1, 1), QPoint(w - 2, 1)}));
    }
    const int q = w / 4;
    const int r = std::max(1, q / 4);
    const int cy = std::max(1, h / 2);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::black);
    for (int cx : {q + 1, 2 * q + 1, 3 * q + 1})
        painter.drawEllipse(QRect(cx - r, cy - r, 2 * r, 2 * r));
}

TEllipsesEdit::TEllipsesEdit(QWidget* parent)
    : QLineEdit(parent), button_(new TEllipsesButton(this)) {
    QPalette colors = palette();
    colors.setColor(QPalette::Base, Qt::white);
    setPalette(colors);
    connect(button_, &QAbstractButton::clicked, this, [this] { ButtonClick(); });
    UpdateButton();
}

void TEllipsesEdit::SetEditStyle(TEditStyle style) {
    if (style == editStyle_)
        return;
    editStyle_ = style;
    UpdateButton();
}

void TEllipsesEdit::SetFirstCharUpper(bool on) {
    if (on == firstCharUpper_)
        return;
    firstCharUpper_ = on;
    ApplyFirstCharUpper();
}

void TEllipsesEdit::SetUnitScale(int scale) {
    unitScale_ = std::max(1, scale);
    AdjustHeight();
}

void TEllipsesEdit::UpdateButton() {
    const bool shown = editStyle_ == esAlwaysEllipses || (editStyle_ == esEllipses && hasFocus());
    if (shown) {
        const int bw = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) * unitScale_;
        if (hasFrame())
            button_->setGeometry(width() - kEditBorder - bw - 1, kEditBorder, bw + 1,
                                 height() - 2 * kEditBorder);
        else
            button_->setGeometry(width() - bw, 0, bw, height());
    } else {
        button_->resize(0, button_->height());
    }
    button_->setVisible(shown);
    setTextMargins(0, 0, shown ? button_->width() + 2 : 0, 0);
    update();
}

int TEllipsesEdit::WantedHeight() const {
    const int textHeight = TextHeight(font());
    if (!hasFrame())
        return textHeight;
    const int systemHeight = TextHeight(QApplication::font()) * unitScale_;
    return textHeight + std::min(systemHeight, textHeight) / 4 + (4 * kBorderLine + 1) * unitScale_;
}

void TEllipsesEdit::AdjustHeight() {
    const int wanted = WantedHeight();
    // The button follows at once: a hidden edit gets its resize event only when it is shown.
    if (height() != wanted)
        resize(width(), wanted);
    UpdateButton();
}

void TEllipsesEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    AdjustHeight();
}

void TEllipsesEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        AdjustHeight();
}

void TEllipsesEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter is taken away from the edit: the text stays as it is and all of it is selected.
        selectAll();
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool replacesAll =
        text().isEmpty() || (selectionStart() == 0 && selectedText() == text());
    if (firstCharUpper_ && typed.size() == 1 && IsLowerAsciiLetter(typed[0]) && replacesAll) {
        QKeyEvent upper(event->type(), event->key(), event->modifiers(), typed.toUpper(),
                        event->isAutoRepeat(), event->count());
        QLineEdit::keyPressEvent(&upper);
        event->setAccepted(upper.isAccepted());
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TEllipsesEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    UpdateButton();
    if (autoSelect_)
        selectAll();
}

void TEllipsesEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    ApplyFirstCharUpper();
    UpdateButton();
}

void TEllipsesEdit::ButtonClick() {
    button_->SetPressed(false);
    if (OnButtonClick)
        OnButtonClick(this);
}

void TEllipsesEdit::ApplyFirstCharUpper() {
    const QString current = text();
    if (firstCharUpper_ && !current.isEmpty() && IsLowerAsciiLetter(current[0]))
        setText(current[0].toUpper() + current.mid(1));
}
