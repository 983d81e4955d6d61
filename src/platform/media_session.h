#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <utility>
#include <vector>

// What a desktop remote (MPRIS) sees of the screen that plays something.
struct MediaSessionState {
    enum class Status { Stopped, Paused, Playing };
    Status status = Status::Stopped;
    QString title;
    QStringList artists;
    QString album;
    QString url;    // the item played, when there is one
    QString artUrl; // a picture of the item, when one is known
    QImage art;     // the item's picture as the screen shows it, when it has one
    qint64 lengthUs = 0;
    qint64 positionUs = 0;
    double volume = -1; // 0..1; negative: the screen has no volume
    bool canPlay = false;
    bool canPause = false;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canSeek = false;

    bool operator==(const MediaSessionState&) const = default;
};

// A screen's transport as the desktop drives it: each command runs the member the screen's own
// keys run, so a desktop remote and the keys never disagree.
class MediaSession {
public:
    virtual ~MediaSession() = default;
    virtual MediaSessionState State() = 0;
    virtual void PlayPause() = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void Next() = 0;
    virtual void Previous() = 0;
    virtual void SeekBy(qint64 offsetUs) { (void)offsetUs; }
    virtual void SeekTo(qint64 positionUs) { (void)positionUs; }
    virtual void SetVolume(double volume) { (void)volume; }
};

// The sessions of the open screens, newest on top; the desktop talks to the top one. The fallback
// stands for the menus while no player or viewer is open. One per run, built in main().
class MediaSessions {
public:
    MediaSession* Top() const;
    void SetFallback(MediaSession* session);
    void Push(MediaSession* session);
    void Remove(MediaSession* session);
    // A session's state changed, or the top one did: the listeners (the desktop's remote, the
    // phones) look again. Nothing is polled.
    void Announce();
    void AddListener(const void* owner, std::function<void()> listener);
    void RemoveListener(const void* owner);

private:
    QList<MediaSession*> stack_;
    MediaSession* fallback_ = nullptr;
    std::vector<std::pair<const void*, std::function<void()>>> listeners_;
};

// A screen's session registered for as long as this object lives or until Release.
class MediaSessionRegistration {
public:
    explicit MediaSessionRegistration(MediaSessions& sessions) : sessions_(sessions) {}
    ~MediaSessionRegistration() { Release(); }
    MediaSessionRegistration(const MediaSessionRegistration&) = delete;
    MediaSessionRegistration& operator=(const MediaSessionRegistration&) = delete;

    void Register(MediaSession* session);
    void Release();

private:
    MediaSessions& sessions_;
    MediaSession* session_ = nullptr;
};
