#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <memory>

class Form;

// One hand-off from the folder list screen to the player or the viewer.
struct MediaRequest {
    QByteArray path; // bytes of the file system: a media file, a playlist or a picture list
    bool viewer = false;
    bool list = false; // for the viewer: path names a list file, one picture path per line
    int category = 0;  // the player shows video (1) or music (2)
    // For a single file: the files of the listing it was chosen from, itself included, in the
    // order of the screen; empty for a list.
    QByteArrayList neighbours;
    bool operator==(const MediaRequest&) const = default;
};

// Makes the screen that runs a request (the player, or the viewer). The folder list screen is given
// one by its creator and puts each screen it makes on its stack.
class MediaScreenFactory {
public:
    virtual ~MediaScreenFactory() = default;
    // The screen for the request, set up to play or show it; null when there is nothing to run.
    virtual std::unique_ptr<Form> CreateMediaScreen(const MediaRequest& request) = 0;
};
