#pragma once

#include "player/media_player_control.h"

#include <QImage>

struct mpv_handle;

// What libmpv tells of the item playing beyond its position: its tags, its embedded picture, and
// the choice among its subtitle and audio tracks.

// The container's tags, names lower-case; empty while nothing is loaded.
MediaMetadata ReadMpvMetadata(mpv_handle* handle);

// The item's attached picture (album cover) once mpv has decoded it; null when the item has none
// or it is not decoded yet.
QImage ReadMpvAttachedPicture(mpv_handle* handle);

// Selects the next track of the kind (audio never switched off while there is one) and describes
// the choice; raises AppError when mpv refuses.
QString CycleMpvTrack(mpv_handle* handle, TrackKind kind);
