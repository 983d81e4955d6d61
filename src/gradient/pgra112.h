#pragma once

#include "platform/colors.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

class ImageWidget;

enum GMode { mdVertical, mdHorizontal, mdDiagonally };

// Paints a stepped colour gradient into an image, once, on request. From one band of Delay pixels
// to the next every colour component moves one unit from StartColor towards EndColor; after the
// largest difference is used up the end colour fills the rest.
class TPGradation : public QObject {
    Q_DECLARE_TR_FUNCTIONS(TPGradation)

public:
    explicit TPGradation(QObject* owner = nullptr);

    ImageWidget* TargetImage() const { return targetImage_; }
    void SetTargetImage(ImageWidget* image) { targetImage_ = image; }
    StoredColor StartColor() const { return startColor_; }
    void SetStartColor(StoredColor color) { startColor_ = color; }
    StoredColor EndColor() const { return endColor_; }
    void SetEndColor(StoredColor color) { endColor_ = color; }
    int Delay() const { return delay_; }
    // A band is at least one pixel thick: 0 or less stores 1.
    void SetDelay(int delay) { delay_ = delay > 0 ? delay : 1; }
    GMode GradationMode() const { return mode_; }
    void SetGradationMode(GMode mode) { mode_ = mode; }

    // Paints the whole gradient into the target image now; warns when there is no target.
    void Paint();

private:
    QPointer<ImageWidget> targetImage_;
    StoredColor startColor_ = clBlue;
    StoredColor endColor_ = clBlack;
    int delay_ = 1;
    GMode mode_ = mdVertical;
};
