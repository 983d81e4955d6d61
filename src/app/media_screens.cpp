#include "app/media_screens.h"

#include "player/player_form.h"
#include "viewer/viewer_form.h"

#include <QDialog>

std::unique_ptr<QDialog> MediaScreens::CreateMediaScreen(const MediaRequest& request) {
    if (request.viewer) {
        auto viewer = std::make_unique<TViewer_Form>();
        viewer->listFlag = request.list;
        viewer->path = request.path;
        return viewer;
    }
    return CreatePlayerScreen(request.path, request.category);
}
