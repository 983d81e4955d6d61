#pragma once

#include <QImage>
#include <QWidget>

// A picture component: it shows the picture it holds at its top-left corner. Drawing code paints
// into Picture(), which is created at the widget's current size on first use.
class ImageWidget : public QWidget {
public:
    explicit ImageWidget(QWidget* parent = nullptr);

    bool HasPicture() const { return !picture_.isNull(); }
    // The drawing surface; made at the widget's size (32-bit RGB, white) when none is held yet.
    QImage& Picture();
    // The drawing surface for drawing the whole of it anew: made again at the widget's size when
    // the one held has another size (the screen changed its resolution).
    QImage& PictureAtWidgetSize();
    // Repaints after the picture was drawn on.
    void PictureChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // A picture that covers the whole widget hides what lies beneath it: Qt then skips painting
    // the parent there (a full-screen background each time, otherwise).
    void UpdateOpaque();

    QImage picture_;
};
