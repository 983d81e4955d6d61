#include "platform/mpris.h"

#include "platform/application.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

#include <algorithm>
#include <unistd.h>

namespace {
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

QString StatusName(MediaSessionState::Status status) {
    switch (status) {
    case MediaSessionState::Status::Playing:
        return QStringLiteral("Playing");
    case MediaSessionState::Status::Paused:
        return QStringLiteral("Paused");
    case MediaSessionState::Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

// Runs a command on the top session as a key handler would: a failure is reported, never passed
// back into the bus library.
template <typename Command> void RunOnTop(MprisService& service, Command&& command) {
    if (MediaSession* session = service.Sessions().Top())
        RunReportingErrors([&] { command(*session); });
    service.Refresh();
}
} // namespace

class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ False)
    Q_PROPERTY(bool CanRaise READ False)
    Q_PROPERTY(bool HasTrackList READ False)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ None)
    Q_PROPERTY(QStringList SupportedMimeTypes READ None)

public:
    explicit MprisRootAdaptor(QObject* parent) : QDBusAbstractAdaptor(parent) {}
    bool False() const { return false; }
    QString Identity() const { return QStringLiteral("Couchframe"); }
    QString DesktopEntry() const { return QStringLiteral("couchframe"); }
    QStringList None() const { return {}; }

public slots:
    // The program owns the screen and leaves only by its exit code.
    void Raise() {}
    void Quit() {}
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ One WRITE SetRate)
    Q_PROPERTY(double MinimumRate READ One)
    Q_PROPERTY(double MaximumRate READ One)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)

public:
    MprisPlayerAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(*service) {}

    QString PlaybackStatus() const { return StatusName(service_.Current().status); }
    double One() const { return 1.0; }
    void SetRate(double) {}
    QVariantMap Metadata() const { return MetadataOf(service_.Current(), service_.TrackId()); }
    double Volume() const { return std::max(0.0, service_.Current().volume); }
    void SetVolume(double volume) {
        RunOnTop(service_, [&](MediaSession& s) { s.SetVolume(std::clamp(volume, 0.0, 1.0)); });
    }
    qlonglong Position() const { return service_.Current().positionUs; }
    bool CanGoNext() const { return service_.Current().canGoNext; }
    bool CanGoPrevious() const { return service_.Current().canGoPrevious; }
    bool CanPlay() const { return service_.Current().canPlay; }
    bool CanPause() const { return service_.Current().canPause; }
    bool CanSeek() const { return service_.Current().canSeek; }
    bool CanControl() const { return true; }

    static QVariantMap MetadataOf(const MediaSessionState& state, const QString& trackId) {
        QVariantMap metadata;
        metadata.insert(QStringLiteral("mpris:trackid"),
                        QVariant::fromValue(QDBusObjectPath(trackId)));
        if (state.url.isEmpty())
            return metadata;
        metadata.insert(QStringLiteral("xesam:url"), state.url);
        if (!state.title.isEmpty())
            metadata.insert(QStringLiteral("xesam:title"), state.title);
        if (!state.artists.isEmpty())
            metadata.insert(QStringLiteral("xesam:artist"), state.artists);
        if (!state.album.isEmpty())
            metadata.insert(QStringLiteral("xesam:album"), state.album);
        if (state.lengthUs > 0)
            metadata.insert(QStringLiteral("mpris:length"), static_cast<qlonglong>(state.lengthUs));
        if (!state.artUrl.isEmpty())
            metadata.insert(QStringLiteral("mpris:artUrl"), state.artUrl);
        return metadata;
    }

public slots:
    void Next() {
        RunOnTop(service_, [](MediaSession& s) { s.Next(); });
    }
    void Previous() {
        RunOnTop(service_, [](MediaSession& s) { s.Previous(); });
    }
    void Pause() {
        RunOnTop(service_, [](MediaSession& s) { s.Pause(); });
    }
    void PlayPause() {
        RunOnTop(service_, [](MediaSession& s) { s.PlayPause(); });
    }
    void Stop() {
        RunOnTop(service_, [](MediaSession& s) { s.Stop(); });
    }
    void Play() {
        RunOnTop(service_, [](MediaSession& s) { s.Play(); });
    }
    void Seek(qlonglong offsetUs) {
        RunOnTop(service_, [&](MediaSession& s) { s.SeekBy(offsetUs); });
        service_.AnnounceSeek();
    }
    void SetPosition(const QDBusObjectPath& trackId, qlonglong positionUs) {
        // A position meant for another item than the one playing is ignored, as MPRIS asks.
        if (trackId.path() != service_.TrackId() || positionUs < 0)
            return;
        const qint64 length = service_.Current().lengthUs;
        if (length > 0 && positionUs > length)
            return;
        RunOnTop(service_, [&](MediaSession& s) { s.SeekTo(positionUs); });
        service_.AnnounceSeek();
    }
    // Opening other media from outside is not offered: the menus choose what plays.
    void OpenUri(const QString&) {}

signals:
    // moc defines it with a parameter of its own naming.
    // NOLINTNEXTLINE(readability-inconsistent-declaration-parameter-name)
    void Seeked(qlonglong positionUs);

private:
    MprisService& service_;
};

MprisService::MprisService(MediaSessions& sessions, QDBusConnection bus, QObject* parent)
    : QObject(parent), sessions_(sessions), bus_(bus) {
    if (!bus_.isConnected())
        return;
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    if (!bus_.registerObject(QString::fromLatin1(kObjectPath), this))
        return;
    // A second instance takes a name of its own, as MPRIS provides for.
    const QString names[] = {QString::fromLatin1(kServiceName),
                             QStringLiteral("%1.instance%2").arg(kServiceName).arg(getpid())};
    for (const QString& name : names) {
        if (bus_.registerService(name)) {
            serviceName_ = name;
            break;
        }
    }
    if (serviceName_.isEmpty()) {
        bus_.unregisterObject(QString::fromLatin1(kObjectPath));
        return;
    }
    shown_ = Current();
    sessions_.AddListener(this, [this] { RefreshSoon(); });
}

MprisService::~MprisService() {
    if (serviceName_.isEmpty())
        return;
    sessions_.RemoveListener(this);
    bus_.unregisterService(serviceName_);
    bus_.unregisterObject(QString::fromLatin1(kObjectPath));
}

QString MprisService::TrackId() const {
    if (shown_.url.isEmpty())
        return kNoTrack;
    return QStringLiteral("/org/mpris/MediaPlayer2/Track/%1").arg(track_);
}

void MprisService::AnnounceSeek() {
    if (serviceName_.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kObjectPath),
                                                     kPlayerInterface, QStringLiteral("Seeked"));
    signal << static_cast<qlonglong>(Current().positionUs);
    bus_.send(signal);
}

void MprisService::RefreshSoon() {
    if (std::exchange(refreshQueued_, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            refreshQueued_ = false;
            Refresh();
        },
        Qt::QueuedConnection);
}

void MprisService::Refresh() {
    if (serviceName_.isEmpty())
        return;
    const MediaSessionState now = Current();
    if (now.url != shown_.url)
        ++track_;
    const MediaSessionState before = std::exchange(shown_, now);
    QVariantMap changed;
    if (now.status != before.status)
        changed.insert(QStringLiteral("PlaybackStatus"), StatusName(now.status));
    if (now.url != before.url || now.title != before.title || now.artists != before.artists ||
        now.album != before.album || now.lengthUs != before.lengthUs || now.artUrl != before.artUrl)
        changed.insert(QStringLiteral("Metadata"), MprisPlayerAdaptor::MetadataOf(now, TrackId()));
    if (now.volume != before.volume)
        changed.insert(QStringLiteral("Volume"), std::max(0.0, now.volume));
    const std::pair<const char*, bool MediaSessionState::*> flags[] = {
        {"CanPlay", &MediaSessionState::canPlay},
        {"CanPause", &MediaSessionState::canPause},
        {"CanGoNext", &MediaSessionState::canGoNext},
        {"CanGoPrevious", &MediaSessionState::canGoPrevious},
        {"CanSeek", &MediaSessionState::canSeek}};
    for (const auto& [name, flag] : flags)
        if (now.*flag != before.*flag)
            changed.insert(QString::fromLatin1(name), now.*flag);
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    bus_.send(signal);
}

#include "mpris.moc"

MediaSessionState MprisService::Current() const {
    MediaSession* session = sessions_.Top();
    return session ? session->State() : MediaSessionState{};
}
