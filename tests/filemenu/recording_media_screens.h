#pragma once

#include "filemenu/media_handoff.h"

#include "ui/form.h"

#include <vector>

// Stands in for the player and the viewer: each hand-off is recorded and no screen is opened.
class RecordingMediaScreens : public MediaScreenFactory {
public:
    std::unique_ptr<Form> CreateMediaScreen(const MediaRequest& request) override {
        requests.push_back(request);
        return nullptr;
    }

    std::vector<MediaRequest> requests; // oldest first
};
