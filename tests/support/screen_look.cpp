#include "screen_look.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <qpa/qplatformnativeinterface.h>

#include <cstdlib>
#include <sstream>

namespace {
// The offscreen platform's own functions for reading and replacing its screen configuration.
using ReadConfiguration = QJsonObject (*)(QPlatformNativeInterface*);
using WriteConfiguration = void (*)(const QJsonObject&, QPlatformNativeInterface*);

bool SetPrimaryScreenSize(const QSize& size) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        return false;
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    auto read =
        reinterpret_cast<ReadConfiguration>(native->nativeResourceForIntegration("configuration"));
    auto write = reinterpret_cast<WriteConfiguration>(
        native->nativeResourceForIntegration("setConfiguration"));
    if (!read || !write)
        return false;
    QJsonObject configuration = read(native);
    QJsonArray screens = configuration[QStringLiteral("screens")].toArray();
    if (screens.isEmpty())
        return false;
    QJsonObject first = screens[0].toObject();
    first[QStringLiteral("width")] = size.width();
    first[QStringLiteral("height")] = size.height();
    screens[0] = first;
    configuration[QStringLiteral("screens")] = screens;
    // Applied at once, not queued behind the next event loop run.
    configuration[QStringLiteral("synchronousWindowSystemEvents")] = true;
    write(configuration, native);
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen && screen->geometry().size() == size;
}
} // namespace

namespace {
QPlatformNativeInterface* OffscreenNative() {
    return QGuiApplication::platformName() == QLatin1String("offscreen")
               ? QGuiApplication::platformNativeInterface()
               : nullptr;
}
} // namespace

ScreenSetScope::ScreenSetScope() {
    QPlatformNativeInterface* native = OffscreenNative();
    if (!native)
        return;
    auto read =
        reinterpret_cast<ReadConfiguration>(native->nativeResourceForIntegration("configuration"));
    if (!read || !native->nativeResourceForIntegration("setConfiguration"))
        return;
    previous_ = read(native);
    applied_ = true;
}

ScreenSetScope::~ScreenSetScope() {
    if (!applied_)
        return;
    QPlatformNativeInterface* native = OffscreenNative();
    auto write = reinterpret_cast<WriteConfiguration>(
        native->nativeResourceForIntegration("setConfiguration"));
    // The screens come back at once, not in events that would reach the next test; then the
    // platform's own way of telling is restored, which changes no screen.
    QJsonObject now = previous_;
    now[QStringLiteral("synchronousWindowSystemEvents")] = true;
    write(now, native);
    write(previous_, native);
}

void ScreenSetScope::Set(const std::vector<QSize>& sizes) {
    if (!applied_)
        return;
    QPlatformNativeInterface* native = OffscreenNative();
    auto write = reinterpret_cast<WriteConfiguration>(
        native->nativeResourceForIntegration("setConfiguration"));
    const QJsonArray before = previous_[QStringLiteral("screens")].toArray();
    QJsonArray screens;
    int x = 0;
    for (size_t i = 0; i < sizes.size(); ++i) {
        QJsonObject screen = i == 0 && !before.isEmpty() ? before[0].toObject() : QJsonObject();
        if (i > 0 || before.isEmpty())
            screen[QStringLiteral("name")] = QStringLiteral("extra%1").arg(i);
        screen[QStringLiteral("x")] = x;
        screen[QStringLiteral("y")] = 0;
        screen[QStringLiteral("width")] = sizes[i].width();
        screen[QStringLiteral("height")] = sizes[i].height();
        screens.append(screen);
        x += sizes[i].width();
    }
    QJsonObject configuration = previous_;
    configuration[QStringLiteral("screens")] = screens;
    configuration[QStringLiteral("synchronousWindowSystemEvents")] = true;
    write(configuration, native);
}

ScreenSizeScope::ScreenSizeScope(const QSize& size) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        previous_ = screen->geometry().size();
    applied_ = SetPrimaryScreenSize(size);
}

ScreenSizeScope::~ScreenSizeScope() {
    if (applied_ && previous_.isValid())
        SetPrimaryScreenSize(previous_);
}

QImage Rendered(QWidget& widget, const QColor& background) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    widget.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QRect InkBounds(const QImage& image, const QRect& area, const QColor& background) {
    const QRgb plain = background.rgb();
    QRect ink;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != (plain & 0xFFFFFF))
                ink |= QRect(x, y, 1, 1);
    return ink;
}

std::optional<std::string> CaptionMisfit(const QRect& ink, const QRect& box, int spare) {
    std::ostringstream why;
    if (ink.isEmpty())
        return std::string("no caption was painted");
    const auto rect = [](const QRect& r) {
        std::ostringstream out;
        out << r.width() << "x" << r.height() << "+" << r.x() << "+" << r.y();
        return out.str();
    };
    if (!box.adjusted(spare, spare, -spare, -spare).contains(ink))
        why << "ink " << rect(ink) << " is not " << spare << " px inside " << rect(box) << "; ";
    // Twice the middles, to stay in whole pixels.
    const int offCentre = std::abs((ink.top() + ink.bottom()) - (box.top() + box.bottom()));
    if (offCentre * 8 > 2 * box.height())
        why << "ink " << rect(ink) << " is " << offCentre / 2.0 << " px off the middle of "
            << rect(box) << "; ";
    if (why.str().empty())
        return std::nullopt;
    return why.str();
}
