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
    // A listener may go while it is told: each is looked up afresh.
    for (size_t i = 0; i < listeners_.size(); ++i) {
        const std::function<void()> listener = listeners_[i].second;
        listener();
    }
}

void MediaSessions::AddListener(const void* owner, std::function<void()> listener) {
    listeners_.emplace_back(owner, std::move(listener));
}

void MediaSessions::RemoveListener(const void* owner) {
    std::erase_if(listeners_, [owner](const auto& entry) { return entry.first == owner; });
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
