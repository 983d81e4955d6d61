#pragma once

#include "platform/colors.h"

#include <QLabel>
#include <QWidget>

#include <functional>

class QPainter;

// Draws a one-line caption into area with the painter's font and pen. Its ink, not the font's line
// box, is centred vertically, with room to spare at both edges: a font with a tall line box or
// deep descenders is never cut off, and where even the ink is taller than the area the font is
// made smaller. A caption wider than the area loses its middle to "…". The horizontal part of
// alignment places it; with Qt::TextShowMnemonic "&&" shows as "&" and a single "&" underlines
// the character after it.
void PaintCaption(QPainter& painter, const QRect& area, const QString& caption,
                  Qt::Alignment alignment);

// A transparent one-line label that draws its text as PaintCaption does, in its font and its
// palette's text colour.
class CaptionLabel : public QLabel {
public:
    explicit CaptionLabel(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A large coloured panel with a caption (drawn by PaintCaption inside the bevel) and a bevelled
// edge. Selectable panels carry a tag of 100
// or more (100 x column + row); a tag below 100 is never selected.
class Panel : public QWidget {
    Q_OBJECT

public:
    enum class Bevel { None, Raised, Lowered };
    // What a row's file or folder has been to the viewer, drawn at the panel's right end: a tick
    // once watched; a ring while in progress, filled as far as it went, with a thin bar along the
    // bottom edge that long.
    enum class Mark { None, Watched, InProgress };

    explicit Panel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    StoredColor Color() const { return color_; }
    void SetColor(StoredColor color);
    StoredColor FontColor() const { return fontColor_; }
    void SetFontColor(StoredColor color);
    Bevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(Bevel bevel);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment alignment);
    Mark RowMark() const { return mark_; }
    double Progress() const { return progress_; }
    // progress (0 to 1) counts only for a mark in progress; 0 there: how far is not known.
    void SetMark(Mark mark, double progress = 0);
    qint32 Tag() const { return tag_; }
    void SetTag(qint32 tag) { tag_ = tag; }

    // Mouse handlers of the owning screen. Down and up come for any button; a click is the left
    // button pressed and released over the panel, reported after the release's up handler so that
    // whatever the click does to the selection is what stays.
    std::function<void(Panel& panel)> onMouseDown;
    std::function<void(Panel& panel)> onMouseUp;
    std::function<void(Panel& panel)> onClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Draws the mark into the square at the right end of inner; answers what is left of inner.
    QRect PaintMark(QPainter& painter, const QRect& inner) const;

    QString caption_;
    StoredColor color_ = 0xFFFFFF;
    StoredColor fontColor_ = clBlack;
    Bevel bevelOuter_ = Bevel::Raised;
    int bevelWidth_ = 1;
    Qt::Alignment alignment_ = Qt::AlignCenter;
    qint32 tag_ = 0;
    Mark mark_ = Mark::None;
    double progress_ = 0;
    bool leftPressed_ = false;
};

// Colours of the selection model, as stored values.
constexpr StoredColor kPanelUnselectedColor = 0x804000;
constexpr StoredColor kPanelSelectedColor = 0xFF0000;

// Recolours the direct child panels of parent, in child order: the one tagged oldTag unselected,
// then the one tagged newTag selected. Does nothing when the tags are equal or newTag is below 100.
void HighlightPanel(QWidget* parent, int oldTag, int newTag);
// Pressed look: bevel lowered, moved 1 pixel right and down. Returns the panel's tag.
int PressPanel(Panel& panel);
// Released look: bevel raised, moved 1 pixel left and up. Returns the panel's tag.
int ReleasePanel(Panel& panel);
