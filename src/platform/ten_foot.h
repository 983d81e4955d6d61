#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <algorithm>
#include <optional>

// Dialogs and message boxes are laid out in units of a 480th of the screen's height (at least one
// pixel), so that their 12-unit text is a 40th of the screen high and they keep their proportions:
// readable from the sofa at any size. Pixels are rounded up, so that text is never smaller than
// that.
class DialogUnits {
public:
    static constexpr int kUnitsPerScreen = 480;
    // The height of body text.
    static constexpr int kTextUnits = 12;

    // For the primary screen.
    DialogUnits();
    explicit DialogUnits(int screenHeight);

    // Whole pixels per unit, for lines and frames.
    int Scale() const { return std::max(1, pixelsPerScreen_ / kUnitsPerScreen); }
    int operator()(int units) const {
        return (units * pixelsPerScreen_ + kUnitsPerScreen - 1) / kUnitsPerScreen;
    }
    QPoint operator()(const QPoint& units) const {
        return {(*this)(units.x()), (*this)(units.y())};
    }
    QSize operator()(const QSize& units) const {
        return {(*this)(units.width()), (*this)(units.height())};
    }
    QRect operator()(const QRect& units) const {
        return {(*this)(units.topLeft()), (*this)(units.size())};
    }

private:
    int pixelsPerScreen_;
};

// The units for a window on the screen it stands on or will open on; nothing while no screen is
// usable.
std::optional<DialogUnits> DialogUnitsFor(const QWidget& window);

// Gives the window and everything in it the font. Qt stops handing a window's font down to a child
// once the child has been through a screen of another resolution (the placeholder of a TV switched
// off), so each child is given it too.
void SetFontThroughout(QWidget& window, const QFont& font);

// A thick frame around whichever control of the window has the keyboard focus (around the current
// tab of a tab bar): the style's own focus mark is a dotted line that cannot be seen from the sofa.
class FocusFrame : public QWidget {
    Q_OBJECT

public:
    explicit FocusFrame(QWidget& window);

    // Its thickness in the window's units: set at each layout of the window.
    void SetUnits(const DialogUnits& units);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Follow(QWidget* focused);

    int thickness_ = 1;
    QPointer<QWidget> followed_;
    QMetaObject::Connection tabChanged_;
};
