#include "dialogs/dialog_kit.h"

#include "platform/fonts.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringList>

namespace {
constexpr int kDialogFontHeight = -12;
// The dialogs were laid out in the proportional Gothic, the full-screen screens in the UI Gothic.
const QString kDialogFontFamily = QStringLiteral("ＭＳ Ｐゴシック");
const char* const kTagProperty = "tag";
} // namespace

void SetUpFixedDialog(QDialog& dialog, const QString& caption, const QSize& clientSize) {
    dialog.setWindowTitle(caption);
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
    QFont font = ScreenFont(kDialogFontHeight, false);
    QStringList families = font.families();
    families.removeAll(kDialogFontFamily);
    families.prepend(kDialogFontFamily);
    font.setFamilies(families);
    dialog.setFont(font);
    dialog.setFixedSize(clientSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect bounds(QPoint(), clientSize);
        bounds.moveCenter(screen->availableGeometry().center());
        dialog.move(bounds.topLeft());
    }
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

void SetTag(QWidget* widget, int tag) {
    widget->setProperty(kTagProperty, tag);
}

int TagOf(const QObject* sender) {
    return sender ? sender->property(kTagProperty).toInt() : 0;
}
