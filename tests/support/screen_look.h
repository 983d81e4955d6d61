#pragma once

#include <QJsonObject>
#include <vector>

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

class QWidget;

// The screen sizes every screen must look right at.
inline const QSize kLookScreenSizes[] = {{1920, 1080}, {1366, 768}, {1280, 720}, {3840, 2160}};

inline void PrintTo(const QSize& size, std::ostream* out) {
    *out << size.width() << "x" << size.height();
}

// Names parameterised tests by their screen size, such as 1920x1080.
inline std::string ScreenSizeName(const ::testing::TestParamInfo<QSize>& info) {
    return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
}

// Makes the offscreen platform's screen the given size while it lives, so that the real screens
// lay themselves out for it. Has no effect on another platform (Applied() tells).
class ScreenSizeScope {
public:
    explicit ScreenSizeScope(const QSize& size);
    ~ScreenSizeScope();
    ScreenSizeScope(const ScreenSizeScope&) = delete;
    ScreenSizeScope& operator=(const ScreenSizeScope&) = delete;

    bool Applied() const { return applied_; }

private:
    bool applied_ = false;
    QSize previous_;
};

// The offscreen platform's screens replaced at run time by ones of these sizes (none: every output
// switched off), the first keeping the first screen's name so that it is the same QScreen resized;
// the screens as they were come back at the end. Applied() is false on other platforms.
class ScreenSetScope {
public:
    ScreenSetScope();
    ~ScreenSetScope();
    ScreenSetScope(const ScreenSetScope&) = delete;
    ScreenSetScope& operator=(const ScreenSetScope&) = delete;

    bool Applied() const { return applied_; }
    void Set(const std::vector<QSize>& sizes);

private:
    bool applied_ = false;
    QJsonObject previous_;
};

// The widget as it paints itself (children included, no parent background), over background.
QImage Rendered(QWidget& widget, const QColor& background);

// The bounding box of the pixels inside area that differ from background: what a caption
// painted there. Empty when nothing was.
QRect InkBounds(const QImage& image, const QRect& area, const QColor& background);

// Why a caption's ink does not sit well in its box: it must keep at least spare pixels from each
// edge and have its middle within a eighth of the box's height of the box's middle. Nothing when
// it sits well.
std::optional<std::string> CaptionMisfit(const QRect& ink, const QRect& box, int spare = 2);
