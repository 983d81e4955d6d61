#include "dialogs/dialog_kit.h"

#include "dialogs/remote_navigation.h"
#include "platform/fonts.h"
#include "platform/screen_changes.h"

#include <QCheckBox>
#include <QDialog>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <utility>

namespace {
const char* const kTagProperty = "tag";

void CentreOnScreen(QDialog& dialog) {
    if (const QScreen* screen = UsableScreenFor(dialog)) {
        QRect bounds(QPoint(), dialog.size());
        bounds.moveCenter(screen->availableGeometry().center());
        dialog.move(bounds.topLeft());
    }
}
} // namespace

void SetUpFixedDialog(QDialog& dialog, const QString& caption, std::function<void()> layOut) {
    dialog.setWindowTitle(caption);
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
    dialog.setFont(DialogFont(DialogUnits::kTextUnits));
    new FocusFrame(dialog);
    new RemoteNavigation(dialog);
    QObject::connect(new ScreenChanges(&dialog), &ScreenChanges::changed, &dialog,
                     std::move(layOut));
}

void SizeFixedDialog(QDialog& dialog, const QSize& clientSize, const DialogUnits& units) {
    // Only the size: the face stays the one the dialog was given.
    QFont font = dialog.font();
    font.setPixelSize(units(DialogUnits::kTextUnits));
    SetFontThroughout(dialog, font);
    if (auto* frame = dialog.findChild<FocusFrame*>(QString(), Qt::FindDirectChildrenOnly))
        frame->SetUnits(units);
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

QLabel* MakeLabel(QWidget* parent, const QString& caption, QWidget* buddy) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

void PlaceLabel(QLabel* label, const QPoint& at) {
    label->move(at);
    label->adjustSize();
}

QLineEdit* MakeEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption) {
    return new QPushButton(caption, parent);
}

namespace {
// Check boxes as large as the dialog's text: the style's own box is a few pixels at any size.
class LargeIndicatorStyle : public QProxyStyle {
public:
    void SetSize(int size) { size_ = size; }
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight)
            return size_;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    int size_ = 0;
};
} // namespace

QCheckBox* MakeCheckBox(QWidget* parent, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    auto* style = new LargeIndicatorStyle;
    style->setParent(box);
    box->setStyle(style);
    return box;
}

void PlaceCheckBox(QCheckBox* box, const QRect& bounds, const DialogUnits& units) {
    // Set before the box is placed: it measures itself by the style when it is next asked, and
    // the layout's font change has already dropped what it measured before.
    if (auto* style = dynamic_cast<LargeIndicatorStyle*>(box->style()))
        style->SetSize(units(DialogUnits::kTextUnits));
    box->setGeometry(bounds);
    box->update();
}

void SetTag(QWidget* widget, int tag) {
    widget->setProperty(kTagProperty, tag);
}

int TagOf(const QObject* sender) {
    return sender ? sender->property(kTagProperty).toInt() : 0;
}
