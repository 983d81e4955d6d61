#pragma once

#include "filemenu/media_handoff.h"

// The screens a hand-off from the folder list opens: the player for video and music.
class MediaScreens : public MediaScreenFactory {
public:
    std::unique_ptr<QDialog> CreateMediaScreen(const MediaRequest& request) override;
};
