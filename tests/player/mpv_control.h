#pragma once

#include "player/media_player_control.h"
#include "player/mpv_engine.h"

#include <memory>

// The control over a libmpv engine, as the player screen holds it, with the engine at hand.
class MpvControl : public MediaPlayerControl {
public:
    explicit MpvControl(const MpvOptions& options = MpvEngine::DefaultOptions())
        : MediaPlayerControl(std::make_unique<MpvEngine>(options)) {}
    MpvEngine& Core() const { return static_cast<MpvEngine&>(Engine()); }
    QString PropertyText(const char* name) const { return Core().PropertyText(name); }
};
