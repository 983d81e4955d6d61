#include "platform/media_session.h"

MediaSession* MediaSessions::Top() const {
    return stack_.isEmpty() ? fallback_ : stack_.last();
}

void MediaSessions::SetFallback(MediaSession* session) {
    fallback_ = session;
    Announce();
}

void MediaSessions::Push(MediaSession* session) {
    stack_.removeAll(session);
    stack_.append(session);
    Announce();
}

void MediaSessions::Remove(MediaSession* session) {
    stack_.removeAll(session);
    Announce();
}

void MediaSessions::Announce() {
    if (listener_)
        listener_();
}

void MediaSessions::SetListener(std::function<void()> listener) {
    listener_ = std::move(listener);
}

void MediaSessionRegistration::Register(MediaSession* session) {
    Release();
    session_ = session;
    sessions_.Push(session);
}

void MediaSessionRegistration::Release() {
    if (session_)
        sessions_.Remove(session_);
    session_ = nullptr;
}
