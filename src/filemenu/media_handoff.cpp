#include "filemenu/media_handoff.h"

#include <QDialog>

namespace {
class RecordingFactory : public MediaScreenFactory {
public:
    std::unique_ptr<QDialog> CreateMediaScreen(const MediaRequest& request) override {
        RecordedMediaRequests().push_back(request);
        return nullptr;
    }
};

MediaScreenFactory*& InstalledFactory() {
    static MediaScreenFactory* factory = nullptr;
    return factory;
}
} // namespace

MediaScreenFactory* SetMediaScreenFactory(MediaScreenFactory* factory) {
    MediaScreenFactory* previous = InstalledFactory();
    InstalledFactory() = factory;
    return previous;
}

MediaScreenFactory& CurrentMediaScreenFactory() {
    static RecordingFactory recording;
    return InstalledFactory() ? *InstalledFactory() : recording;
}

std::vector<MediaRequest>& RecordedMediaRequests() {
    static std::vector<MediaRequest> requests;
    return requests;
}
