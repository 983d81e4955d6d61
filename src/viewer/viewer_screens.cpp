#include "viewer/viewer_screens.h"

#include "viewer/viewer_form.h"

std::unique_ptr<QDialog> ViewerScreenFactory::CreateMediaScreen(const MediaRequest& request) {
    if (!request.viewer)
        return others_.CreateMediaScreen(request);
    auto viewer = std::make_unique<TViewer_Form>();
    viewer->listFlag = request.list;
    viewer->path = request.path;
    return viewer;
}

void InstallViewerScreens() {
    static ViewerScreenFactory factory(CurrentMediaScreenFactory());
    static const bool installed = (SetMediaScreenFactory(&factory), true);
    (void)installed;
}
