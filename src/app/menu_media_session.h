#pragma once

#include "platform/media_session.h"

class ScreenStack;

// The menus as a desktop remote sees them: nothing plays, and Play does what the remote's Play
// does on the screen shown (the folder list plays its selection).
class MenuMediaSession : public MediaSession {
public:
    explicit MenuMediaSession(ScreenStack& window) : window_(window) {}
    MediaSessionState State() override;
    void PlayPause() override { Play(); }
    void Play() override;
    void Pause() override {}
    void Stop() override {}
    void Next() override {}
    void Previous() override {}

private:
    ScreenStack& window_;
};
