#include "ui/panel.h"

#include "platform/mnemonic.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {
// Room kept between a caption's ink and the edge of its area, with a pixel more for the edge
// pixels that smoothing adds around the outlines.
constexpr int kCaptionPadding = 2 + 1;
// Letters that reach as high and as low as captions commonly do, Japanese included: captions in
// one font then share a baseline whether or not their own letters reach as far.
const QString kReferenceLatin = QStringLiteral("Hg");
const QString kReferenceJapanese = QStringLiteral("国");

// Where the ink of text lies around the baseline: the outlines themselves, as font metrics do not
// always cover letters taken from a fallback font.
QRectF OutlineBounds(const QFont& font, const QString& text) {
    QPainterPath outlines;
    outlines.addText(0, 0, font, text);
    return outlines.boundingRect();
}

// The reference letters' ink. The Japanese letter is taken from the font itself when it has it:
// laying it out as text would look up the fonts for Japanese script, which Latin captions never
// need.
QRectF ReferenceInk(const QFont& font) {
    const QRectF latin = OutlineBounds(font, kReferenceLatin);
    const QRawFont raw = QRawFont::fromFont(font);
    const QList<quint32> glyphs = raw.glyphIndexesForString(kReferenceJapanese);
    if (glyphs.size() == 1 && glyphs.first() != 0)
        return latin.united(raw.pathForGlyph(glyphs.first()).boundingRect());
    return latin.united(OutlineBounds(font, kReferenceJapanese));
}

// The ink of text with the reference letters. Theirs is worked out once per font: every caption
// of a screen shares it.
QRectF InkBand(const QFont& font, const QString& text) {
    static QHash<QString, QRectF> referenceInk;
    const QString key = font.key();
    auto reference = referenceInk.constFind(key);
    if (reference == referenceInk.cend())
        reference = referenceInk.insert(key, ReferenceInk(font));
    return reference->united(OutlineBounds(font, text));
}

struct FittedText {
    QFont font;
    QRectF ink; // the text's ink band in that font
};

// The font, made smaller until the ink fits into height.
FittedText FittedFont(QFont font, const QString& text, int height) {
    int size = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    QRectF ink = InkBand(font, text);
    while (ink.height() > height && size > 1) {
        size = std::max(1, std::min(size - 1, static_cast<int>(size * height / ink.height())));
        font.setPixelSize(size);
        ink = InkBand(font, text);
    }
    return {font, ink};
}

qreal AlignedLeft(const QRect& area, qreal width, Qt::Alignment alignment) {
    if (alignment & Qt::AlignRight)
        return area.right() + 1 - width;
    if (alignment & Qt::AlignHCenter)
        return area.left() + (area.width() - width) / 2;
    return area.left();
}
} // namespace

void PaintCaption(QPainter& painter, const QRect& area, const QString& caption,
                  Qt::Alignment alignment) {
    const bool mnemonic = (static_cast<int>(alignment) & Qt::TextShowMnemonic) != 0;
    ShownCaption shown = mnemonic ? ShowMnemonic(caption) : ShownCaption{caption};
    const QRect room =
        area.adjusted(kCaptionPadding, kCaptionPadding, -kCaptionPadding, -kCaptionPadding);
    if (shown.text.isEmpty() || room.isEmpty())
        return;
    const QPaintDevice* device = painter.device();
    const FittedText fitted = FittedFont(painter.font(), shown.text, room.height());
    const QFont& font = fitted.font;
    // Cut in the middle: names that differ only at the end (episode numbers) stay apart. The two
    // halves are measured apart, so the whole may come out a little wider: cut again until it fits.
    const QFontMetricsF metrics(font, device);
    QString text = metrics.elidedText(shown.text, Qt::ElideMiddle, room.width());
    for (qreal width = room.width(); metrics.horizontalAdvance(text) > room.width() && width > 1;) {
        width -= metrics.horizontalAdvance(text) - room.width() + 1;
        text = metrics.elidedText(shown.text, Qt::ElideMiddle, width);
    }
    if (text != shown.text && shown.underlined >= text.indexOf(QChar(0x2026)))
        shown.underlined = -1; // the underlined letter may have been cut out

    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    if (shown.underlined >= 0) {
        QTextCharFormat underline;
        underline.setFontUnderline(true);
        layout.setFormats(
            {QTextLayout::FormatRange{static_cast<int>(shown.underlined), 1, underline}});
    }
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(room.width());
    layout.endLayout();

    // Outlined again only when the text was cut.
    const QRectF ink = text == shown.text ? fitted.ink : InkBand(font, text);
    const qreal baseline = std::round(room.top() + (room.height() - ink.height()) / 2 - ink.top());
    const qreal left = AlignedLeft(room, line.naturalTextWidth(), alignment);
    painter.save();
    painter.setFont(font);
    layout.draw(&painter, QPointF(left, baseline - line.ascent()));
    painter.restore();
}

CaptionLabel::CaptionLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void CaptionLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    PaintCaption(painter, contentsRect(), text(), alignment());
}

Panel::Panel(QWidget* parent) : QWidget(parent) {}

void Panel::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void Panel::SetMark(Mark mark, double progress) {
    const double share = mark == Mark::InProgress ? std::clamp(progress, 0.0, 1.0) : 0.0;
    if (mark == mark_ && share == progress_)
        return;
    mark_ = mark;
    progress_ = share;
    update();
}

QRect Panel::PaintMark(QPainter& painter, const QRect& inner) const {
    if (mark_ == Mark::None || inner.height() <= 0)
        return inner;
    // Green and amber read on the rows' brown and red alike, and apart from each other.
    const QColor watched(96, 208, 96);
    const QColor progress(255, 176, 0);
    const int side = inner.height() / 2;
    const int gap = inner.height() / 4;
    const QRectF box(inner.right() - gap - side, inner.top() + (inner.height() - side) / 2.0, side,
                     side);
    const qreal stroke = std::max(2.0, side / 7.0);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (mark_ == Mark::Watched) {
        QPen pen(watched, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        const QPointF tick[] = {{box.left() + side * 0.1, box.top() + side * 0.55},
                                {box.left() + side * 0.4, box.top() + side * 0.85},
                                {box.left() + side * 0.95, box.top() + side * 0.15}};
        painter.drawPolyline(tick, 3);
    } else {
        const QRectF ring = box.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2);
        painter.setPen(QPen(progress, stroke));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(ring);
        // Qt counts angles in sixteenths of a degree, anticlockwise from three o'clock.
        const double share = progress_ > 0 ? progress_ : 0.5;
        painter.setPen(Qt::NoPen);
        painter.setBrush(progress);
        painter.drawPie(ring, 90 * 16, -static_cast<int>(share * 360 * 16));
        if (progress_ > 0) {
            const int bar = std::max(3, inner.height() / 12);
            painter.fillRect(
                QRectF(inner.left(), inner.bottom() + 1 - bar, inner.width() * progress_, bar),
                progress);
        }
    }
    painter.restore();
    QRect rest = inner;
    rest.setRight(static_cast<int>(box.left()) - gap / 2);
    return rest;
}

void Panel::SetColor(StoredColor color) {
    color_ = color;
    update();
}

void Panel::SetFontColor(StoredColor color) {
    fontColor_ = color;
    update();
}

void Panel::SetBevelOuter(Bevel bevel) {
    bevelOuter_ = bevel;
    update();
}

void Panel::SetBevelWidth(int width) {
    bevelWidth_ = qMax(0, width);
    update();
}

void Panel::SetAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void Panel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(color_));
    if (bevelOuter_ != Bevel::None && bevelWidth_ > 0) {
        // Light from the top left: a raised edge is bright there and dark at the bottom right.
        const QColor light(Qt::white);
        const QColor shadow(Qt::gray);
        const QColor& topLeft = bevelOuter_ == Bevel::Raised ? light : shadow;
        const QColor& bottomRight = bevelOuter_ == Bevel::Raised ? shadow : light;
        const int w = width();
        const int h = height();
        for (int i = 0; i < bevelWidth_; ++i) {
            painter.fillRect(i, i, w - 2 * i, 1, topLeft);
            painter.fillRect(i, i, 1, h - 2 * i, topLeft);
            painter.fillRect(i, h - 1 - i, w - 2 * i, 1, bottomRight);
            painter.fillRect(w - 1 - i, i, 1, h - 2 * i, bottomRight);
        }
    }
    const int margin = bevelOuter_ == Bevel::None ? 0 : bevelWidth_;
    const QRect inner = PaintMark(painter, rect().adjusted(margin, margin, -margin, -margin));
    if (!caption_.isEmpty()) {
        painter.setFont(font());
        painter.setPen(ToQColor(fontColor_));
        PaintCaption(painter, inner, caption_, alignment_);
    }
}

void Panel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        leftPressed_ = true;
    if (onMouseDown)
        onMouseDown(*this);
}

void Panel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    // The press moved the panel by a pixel; the release counts as a click when it ends over it.
    const bool click = event->button() == Qt::LeftButton && leftPressed_ &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        leftPressed_ = false;
    if (onMouseUp)
        onMouseUp(*this);
    if (click && onClick)
        onClick(*this);
}

void HighlightPanel(QWidget* parent, int oldTag, int newTag) {
    if (parent == nullptr || newTag == oldTag || newTag < 100)
        return;
    for (QObject* child : parent->children()) {
        auto* panel = qobject_cast<Panel*>(child);
        if (panel == nullptr)
            continue;
        if (panel->Tag() == oldTag)
            panel->SetColor(kPanelUnselectedColor);
        if (panel->Tag() == newTag)
            panel->SetColor(kPanelSelectedColor);
    }
}

int PressPanel(Panel& panel) {
    panel.SetBevelOuter(Panel::Bevel::Lowered);
    panel.move(panel.x() + 1, panel.y() + 1);
    return panel.Tag();
}

int ReleasePanel(Panel& panel) {
    panel.SetBevelOuter(Panel::Bevel::Raised);
    panel.move(panel.x() - 1, panel.y() - 1);
    return panel.Tag();
}
