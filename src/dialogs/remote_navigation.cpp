#include "dialogs/remote_navigation.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabBar>

namespace {
enum class Direction { Back, Forward };

bool TakesFocusFromKeys(const QWidget* widget, const QDialog& dialog) {
    return widget->window() == &dialog && widget->isVisible() && widget->isEnabled() &&
           (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy();
}

// The next control along the dialog's tab order, without going round past either end: a held
// button stops at the first or last field instead of jumping to the other end.
void MoveFocus(QWidget* from, const QDialog& dialog, Direction direction) {
    QWidget* const start = from;
    QWidget* candidate = from;
    bool wrapped = false;
    for (;;) {
        QWidget* next = direction == Direction::Forward ? candidate->nextInFocusChain()
                                                        : candidate->previousInFocusChain();
        if (!next || next == start)
            return;
        if (next == &dialog)
            wrapped = true;
        candidate = next;
        if (TakesFocusFromKeys(candidate, dialog))
            break;
    }
    if (wrapped)
        return;
    candidate->setFocus(direction == Direction::Forward ? Qt::TabFocusReason
                                                        : Qt::BacktabFocusReason);
}

// Whether a list keeps the key for moving between its own rows.
bool ListMovesWithin(const QAbstractItemView& list, Direction direction) {
    const QAbstractItemModel* model = list.model();
    const int rows = model ? model->rowCount(list.rootIndex()) : 0;
    const QModelIndex current = list.currentIndex();
    if (direction == Direction::Forward)
        return rows > 0 && (!current.isValid() || current.row() < rows - 1);
    return current.isValid() && current.row() > 0;
}

// Whether an edit keeps the key for moving its cursor: it leaves the field from either end.
bool EditMovesWithin(const QLineEdit& edit, Direction direction) {
    if (edit.hasSelectedText())
        return true;
    return direction == Direction::Forward ? edit.cursorPosition() < edit.text().size()
                                           : edit.cursorPosition() > 0;
}

bool IsBack(int key) {
    // Air mice send KEY_BACK, remotes KEY_EXIT (X11's XF86Close).
    return key == Qt::Key_Back || key == Qt::Key_Close;
}
} // namespace

RemoteNavigation::RemoteNavigation(QDialog& dialog) : QObject(&dialog), dialog_(dialog) {
    // On the application: a key reaches the focused control before the dialog sees it.
    qApp->installEventFilter(this);
}

bool RemoteNavigation::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* control = static_cast<QWidget*>(watched);
    // Only the first delivery, to the focused control of this dialog.
    if (control->window() != &dialog_ || control != dialog_.focusWidget())
        return false;
    return Navigate(control, *static_cast<QKeyEvent*>(event));
}

bool RemoteNavigation::Navigate(QWidget* control, const QKeyEvent& key) {
    if (key.modifiers() & ~Qt::KeypadModifier)
        return false;
    if (IsBack(key.key())) {
        dialog_.reject();
        return true;
    }
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        auto* box = qobject_cast<QCheckBox*>(control);
        if (!box)
            return false;
        box->toggle();
        return true;
    }
    Direction direction = Direction::Forward;
    const bool vertical = key.key() == Qt::Key_Up || key.key() == Qt::Key_Down;
    switch (key.key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        direction = Direction::Back;
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        break;
    default:
        return false;
    }
    if (auto* list = qobject_cast<QAbstractItemView*>(control);
        list && vertical && ListMovesWithin(*list, direction))
        return false;
    if (qobject_cast<QTabBar*>(control) && !vertical)
        return false;
    if (auto* edit = qobject_cast<QLineEdit*>(control);
        edit && !vertical && EditMovesWithin(*edit, direction))
        return false;
    MoveFocus(control, dialog_, direction);
    return true;
}
