#include "app/media_screens.h"

#include "player/player_form.h"
#include "viewer/viewer_form.h"

std::unique_ptr<Form> MediaScreens::CreateMediaScreen(const MediaRequest& request) {
    if (request.viewer) {
        auto viewer = std::make_unique<TViewer_Form>(services_);
        viewer->listFlag = request.list;
        viewer->path = request.path;
        viewer->neighbours = request.neighbours;
        return viewer;
    }
    return CreatePlayerScreen(request.path, request.category, services_, request.neighbours);
}
