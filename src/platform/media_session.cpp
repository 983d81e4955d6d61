#include "platform/media_session.h"

#include <QList>

namespace {
QList<MediaSession*>& Stack() {
    static QList<MediaSession*> sessions;
    return sessions;
}

MediaSession*& Fallback() {
    static MediaSession* session = nullptr;
    return session;
}

std::function<void()>& Listener() {
    static std::function<void()> listener;
    return listener;
}
} // namespace

MediaSession* MediaSessions::Top() {
    return Stack().isEmpty() ? Fallback() : Stack().last();
}

void MediaSessions::SetFallback(MediaSession* session) {
    Fallback() = session;
    Announce();
}

void MediaSessions::Push(MediaSession* session) {
    Stack().removeAll(session);
    Stack().append(session);
    Announce();
}

void MediaSessions::Remove(MediaSession* session) {
    Stack().removeAll(session);
    Announce();
}

void MediaSessions::Announce() {
    if (Listener())
        Listener()();
}

void MediaSessions::SetListener(std::function<void()> listener) {
    Listener() = std::move(listener);
}

void MediaSessionRegistration::Register(MediaSession* session) {
    Release();
    session_ = session;
    MediaSessions::Push(session);
}

void MediaSessionRegistration::Release() {
    if (session_)
        MediaSessions::Remove(session_);
    session_ = nullptr;
}
