#include "app/media_screens.h"

#include "player/player_form.h"

#include <QDialog>
#include <QFile>

std::unique_ptr<QDialog> MediaScreens::CreateMediaScreen(const MediaRequest& request) {
    if (request.viewer)
        return nullptr;
    return CreatePlayerScreen(QFile::decodeName(request.path), request.category);
}
