#include "platform/image_widget.h"

#include <QPainter>

ImageWidget::ImageWidget(QWidget* parent) : QWidget(parent) {}

QImage& ImageWidget::Picture() {
    if (picture_.isNull() && !size().isEmpty()) {
        picture_ = QImage(size(), QImage::Format_RGB32);
        picture_.fill(Qt::white);
    }
    return picture_;
}

QImage& ImageWidget::PictureAtWidgetSize() {
    if (picture_.size() != size())
        picture_ = QImage();
    return Picture();
}

void ImageWidget::paintEvent(QPaintEvent* /*event*/) {
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

void ImageWidget::resizeEvent(QResizeEvent* /*event*/) {
    UpdateOpaque();
}

void ImageWidget::PictureChanged() {
    UpdateOpaque();
    update();
}

void ImageWidget::UpdateOpaque() {
    const bool covers = !picture_.isNull() && picture_.width() >= width() &&
                        picture_.height() >= height() && !picture_.hasAlphaChannel();
    setAttribute(Qt::WA_OpaquePaintEvent, covers);
}
