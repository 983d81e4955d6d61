#pragma once

#include "filemenu/media_handoff.h"

// The screens a hand-off from the folder list opens: the viewer for pictures (one picture or a
// list file), the player for video and music.
class MediaScreens : public MediaScreenFactory {
public:
    std::unique_ptr<QDialog> CreateMediaScreen(const MediaRequest& request) override;
};
