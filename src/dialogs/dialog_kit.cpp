#include "dialogs/dialog_kit.h"

#include "dialogs/remote_navigation.h"
#include "platform/fonts.h"

#include <QCheckBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {
const char* const kTagProperty = "tag";

void CentreOnScreen(QDialog& dialog) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect bounds(QPoint(), dialog.size());
        bounds.moveCenter(screen->availableGeometry().center());
        dialog.move(bounds.topLeft());
    }
}
} // namespace

void SetUpFixedDialog(QDialog& dialog, const QString& caption, const QSize& clientSize,
                      const DialogUnits& units) {
    dialog.setWindowTitle(caption);
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
    dialog.setFont(DialogFont(-units(DialogUnits::kTextUnits)));
    new FocusFrame(dialog, units);
    new RemoteNavigation(dialog);
    dialog.setFixedSize(units(clientSize));
    CentreOnScreen(dialog);
}

void GrowFixedDialog(QDialog& dialog, const QSize& extra) {
    if (extra.isNull())
        return;
    dialog.setFixedSize(dialog.size() + extra);
    CentreOnScreen(dialog);
}

int FitLabels(std::initializer_list<QLabel*> labels, int controlsLeft) {
    int overflow = 0;
    for (QLabel* label : labels) {
        label->adjustSize();
        overflow = std::max(overflow, label->x() + label->width() - controlsLeft);
    }
    return overflow;
}

void MoveRight(std::initializer_list<QWidget*> widgets, int pixels) {
    for (QWidget* widget : widgets)
        widget->move(widget->x() + pixels, widget->y());
}

void Widen(std::initializer_list<QWidget*> widgets, int pixels) {
    for (QWidget* widget : widgets)
        widget->resize(widget->width() + pixels, widget->height());
}

QLabel* MakeLabel(QWidget* parent, const QString& caption, const QPoint& at, QWidget* buddy) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    label->move(at);
    label->adjustSize();
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, const QRect& bounds) {
    auto* edit = new QLineEdit(parent);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit->setGeometry(bounds);
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, const QRect& bounds) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(bounds);
    return button;
}

namespace {
// Check boxes as large as the dialog's text: the style's own box is a few pixels at any size.
class LargeIndicatorStyle : public QProxyStyle {
public:
    explicit LargeIndicatorStyle(int size) : size_(size) {}
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight)
            return size_;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    int size_;
};
} // namespace

QCheckBox* MakeCheckBox(QWidget* parent, const QString& caption, const QRect& bounds,
                        const DialogUnits& units) {
    auto* box = new QCheckBox(caption, parent);
    auto* style = new LargeIndicatorStyle(units(DialogUnits::kTextUnits));
    style->setParent(box);
    box->setStyle(style);
    box->setGeometry(bounds);
    return box;
}

void SetTag(QWidget* widget, int tag) {
    widget->setProperty(kTagProperty, tag);
}

int TagOf(const QObject* sender) {
    return sender ? sender->property(kTagProperty).toInt() : 0;
}
