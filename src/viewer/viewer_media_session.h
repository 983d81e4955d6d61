#pragma once

#include "platform/media_session.h"

class TViewer_Form;

// The slide show as a desktop remote sees it: playing while the show runs, the picture shown as
// the item; commands run the viewer's own key operations.
class ViewerMediaSession : public MediaSession {
public:
    explicit ViewerMediaSession(TViewer_Form& viewer) : viewer_(viewer) {}

    MediaSessionState State() override;
    void PlayPause() override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Next() override;
    void Previous() override;

private:
    TViewer_Form& viewer_;
};
