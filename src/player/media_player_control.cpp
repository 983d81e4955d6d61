#include "player/media_player_control.h"

#include "platform/error.h"
#include "platform/message_box.h"

#include <QPainter>

int PlayStateOf(EngineState state) {
    switch (state) {
    case EngineState::Idle:
        return playstate::Stopped;
    case EngineState::Loading:
        return playstate::Transitioning;
    case EngineState::Buffering:
        return playstate::Buffering;
    case EngineState::Playing:
        return playstate::Playing;
    case EngineState::Paused:
        return playstate::Paused;
    case EngineState::Scanning:
        return playstate::ScanForward;
    }
    return playstate::Undefined;
}

MediaPlayerControl::MediaPlayerControl(std::unique_ptr<MediaEngine> engine, QWidget* parent)
    : QWidget(parent), engine_(std::move(engine)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    engine_->setParent(nullptr); // owned here, destroyed with the control
    MediaEngine* source = engine_.get();
    connect(source, &MediaEngine::stateChanged, this, &MediaPlayerControl::stateChanged);
    connect(source, &MediaEngine::volumeChanged, this, &MediaPlayerControl::stateChanged);
    connect(source, &MediaEngine::positionChanged, this, &MediaPlayerControl::positionChanged);
    connect(source, &MediaEngine::durationChanged, this, &MediaPlayerControl::positionChanged);
    connect(source, &MediaEngine::itemChanged, this, [this] { MediaChanged(); });
    connect(source, &MediaEngine::itemEnded, this, &MediaPlayerControl::itemEnded);
    connect(source, &MediaEngine::itemCutShort, this, &MediaPlayerControl::itemCutShort);
    connect(source, &MediaEngine::tracksAdded, this, &MediaPlayerControl::tracksAdded);
    connect(source, &MediaEngine::coverArtChanged, this, [this] { MediaChanged(); });
    connect(source, &MediaEngine::itemSkipped, this,
            [this](const QString& message) { ItemSkipped(message); });
    connect(source, &MediaEngine::failed, this,
            [](const QString& message) { ShowMessage(MessageKind::Error, message); });
    connect(source, &MediaEngine::frameChanged, this, qOverload<>(&QWidget::update));
}

MediaPlayerControl::~MediaPlayerControl() = default;

void MediaPlayerControl::setURL(const QByteArray& url) {
    url_ = url;
    engine_->open(url, !autoStart_);
}

int MediaPlayerControl::playState() {
    return PlayStateOf(engine_->state());
}

void MediaPlayerControl::setStretchToFit(bool on) {
    stretchToFit_ = on;
    UpdateViewport();
}

bool MediaPlayerControl::isAvailable(const QString& item) {
    if (item.compare(QLatin1String("FastForward"), Qt::CaseInsensitive) == 0)
        return engine_->canScan();
    // No engine scans backwards at speed (mpv's backward playback is a slow decode-ahead mode),
    // and the control answers only for the scans.
    return false;
}

void MediaPlayerControl::fastReverse() {
    throw AppError(tr("The media player cannot fast reverse this media."));
}

void MediaPlayerControl::setMode(const QString& mode, bool on) {
    if (mode.compare(QLatin1String("loop"), Qt::CaseInsensitive) == 0)
        engine_->setLoop(on);
    else if (mode.compare(QLatin1String("shuffle"), Qt::CaseInsensitive) == 0)
        engine_->setShuffle(on);
    else
        throw AppError(tr("The media player has no play mode \"%1\".").arg(mode));
}

void MediaPlayerControl::MediaChanged() {
    if (OnMediaChange)
        OnMediaChange();
}

void MediaPlayerControl::ItemSkipped(const QString& message) {
    if (OnItemFailure)
        OnItemFailure(message);
    else
        ShowMessage(MessageKind::Error, message);
}

void MediaPlayerControl::UpdateViewport() {
    engine_->setViewport(isVisible() ? size() : QSize(), stretchToFit_);
}

void MediaPlayerControl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QImage frame = engine_->frame();
    if (!frame.isNull())
        painter.drawImage((width() - frame.width()) / 2, (height() - frame.height()) / 2, frame);
}

void MediaPlayerControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UpdateViewport();
}

void MediaPlayerControl::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    UpdateViewport();
}

void MediaPlayerControl::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    UpdateViewport();
}
