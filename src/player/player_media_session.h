#pragma once

#include "platform/media_session.h"

class TPlayer_Form;

// The player screen as a desktop remote sees it; commands run the screen's own key operations.
class PlayerMediaSession : public MediaSession {
public:
    explicit PlayerMediaSession(TPlayer_Form& player) : player_(player) {}

    MediaSessionState State() override;
    void PlayPause() override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Next() override;
    void Previous() override;
    void SeekBy(qint64 offsetUs) override;
    void SeekTo(qint64 positionUs) override;
    void SetVolume(double volume) override;

private:
    void Command(int appCommand);

    TPlayer_Form& player_;
};
