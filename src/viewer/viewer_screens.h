#pragma once

#include "filemenu/media_handoff.h"

// Makes the viewer for the folder list screen's picture hand-offs (one picture or a list file);
// every other hand-off goes on to the factory it was put in front of.
class ViewerScreenFactory : public MediaScreenFactory {
public:
    explicit ViewerScreenFactory(MediaScreenFactory& others) : others_(others) {}
    std::unique_ptr<QDialog> CreateMediaScreen(const MediaRequest& request) override;

private:
    MediaScreenFactory& others_;
};

// Puts a viewer factory in front of the factory installed now; only the first call installs it.
void InstallViewerScreens();
