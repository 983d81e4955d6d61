#pragma once

#include <QAbstractButton>
#include <QLineEdit>

#include <functional>

// When the edit shows its dots button.
enum TEditStyle {
    esNormal,        // never
    esEllipses,      // while the edit has the keyboard focus
    esAlwaysEllipses // always
};

// The small dots button at the right end of a TEllipsesEdit. It never takes the focus, so clicking
// it leaves the focus (and with it an esEllipses button) where it was.
class TEllipsesButton : public QAbstractButton {
public:
    explicit TEllipsesButton(QWidget* parent);

    bool Pressed() const { return pressed_; }
    void SetPressed(bool pressed);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool pressed_ = false;
};

// A one-line edit with a dots button inside its right end, e.g. to browse for what is typed.
class TEllipsesEdit : public QLineEdit {
public:
    explicit TEllipsesEdit(QWidget* parent = nullptr);

    TEditStyle EditStyle() const { return editStyle_; }
    void SetEditStyle(TEditStyle style);
    // Keeps the first character upper case (letters a to z only).
    bool FirstCharUpper() const { return firstCharUpper_; }
    void SetFirstCharUpper(bool on);
    // Selects the whole text whenever the edit gets the focus.
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }

    // Raised with the edit as sender when the dots button is clicked.
    std::function<void(TEllipsesEdit* sender)> OnButtonClick;

    // Pixels per unit of the dialog the edit sits in: its border lines, its button and the
    // system font it measures by grow with them.
    int UnitScale() const { return unitScale_; }
    void SetUnitScale(int scale);

    TEllipsesButton* Button() const { return button_; }
    // Shows or hides the button by the style and the focus, and keeps the text clear of it.
    void UpdateButton();
    // The height the edit keeps for its font and border.
    int WantedHeight() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ButtonClick();
    void AdjustHeight();
    void ApplyFirstCharUpper();

    TEllipsesButton* button_;
    TEditStyle editStyle_ = esEllipses;
    bool firstCharUpper_ = false;
    bool autoSelect_ = true;
    int unitScale_ = 1;
};
