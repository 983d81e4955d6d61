#pragma once

#include "platform/media_session.h"

#include <QDBusConnection>
#include <QObject>

// The MPRIS2 media player on a bus (org.mpris.MediaPlayer2 and its .Player interface), so that
// desktop media keys, playerctl and phone remotes reach the top media session. Without a bus
// nothing is registered and nothing is said.
class MprisService : public QObject {
public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.couchframe";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    MprisService(MediaSessions& sessions, QDBusConnection bus, QObject* parent = nullptr);
    ~MprisService() override;

    // The name taken on the bus; empty when none could be.
    const QString& ServiceName() const { return serviceName_; }
    // Announces what changed since the last look (PropertiesChanged).
    void Refresh();
    // Refreshes once the events being handled now are over, however often it is asked meanwhile.
    void RefreshSoon();
    // The state the desktop currently sees.
    const MediaSessionState& Shown() const { return shown_; }
    QString TrackId() const;
    // What the top session says now.
    MediaSessionState Current() const;
    MediaSessions& Sessions() const { return sessions_; }
    void AnnounceSeek();

private:
    MediaSessions& sessions_;
    QDBusConnection bus_;
    QString serviceName_;
    bool refreshQueued_ = false;
    MediaSessionState shown_;
    int track_ = 0;
};
