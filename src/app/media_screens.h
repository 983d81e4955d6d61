#pragma once

#include "filemenu/media_handoff.h"
#include "ui/screen_services.h"

// The screens a hand-off from the folder list opens: the viewer for pictures (one picture or a
// list file), the player for video and music.
class MediaScreens : public MediaScreenFactory {
public:
    explicit MediaScreens(const ScreenServices& services) : services_(services) {}
    std::unique_ptr<Form> CreateMediaScreen(const MediaRequest& request) override;

private:
    const ScreenServices services_;
};
