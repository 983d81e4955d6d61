#pragma once

#include <QImage>
#include <QWidget>

// A picture component: it shows the picture it holds at its top-left corner. Drawing code paints
// into Picture(), which is created at the widget's current size on first use.
class ImageWidget : public QWidget {
public:
    explicit ImageWidget(QWidget* parent = nullptr);

    bool HasPicture() const { return !picture_.isNull(); }
    // The drawing surface; made at the widget's size (32-bit RGB) when none is held yet.
    QImage& Picture();
    // Repaints after the picture was drawn on.
    void PictureChanged() { update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};
