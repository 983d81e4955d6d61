#include "app/media_screens.h"

#include "player/player_form.h"
#include "viewer/viewer_form.h"

#include <QDialog>
#include <QFile>

std::unique_ptr<QDialog> MediaScreens::CreateMediaScreen(const MediaRequest& request) {
    if (request.viewer) {
        auto viewer = std::make_unique<TViewer_Form>();
        viewer->listFlag = request.list;
        viewer->path = request.path;
        return viewer;
    }
    return CreatePlayerScreen(QFile::decodeName(request.path), request.category);
}
