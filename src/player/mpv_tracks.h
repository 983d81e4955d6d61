#pragma once

#include "player/media_player_control.h"
#include "player/sidecar_subtitles.h"
#include "player/track_preference.h"

#include <optional>
#include <vector>

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

// The item's tracks of the kind as mpv lists them, and the one selected. A track of one of the
// files added takes its flags from the file's name: mpv keeps none for it.
std::vector<TrackFacts> ReadMpvTracks(mpv_handle* handle, TrackKind kind,
                                      const std::vector<SidecarSubtitle>& added);
std::optional<TrackFacts> ReadMpvSelectedTrack(mpv_handle* handle, TrackKind kind,
                                               const std::vector<SidecarSubtitle>& added);
// Selects the track, or none; raises AppError when mpv refuses.
void SelectMpvTrack(mpv_handle* handle, TrackKind kind, std::optional<qint64> id);
// Adds a subtitle file to the item with its language and title, leaving the choice as it is;
// false when mpv cannot read it.
bool AddMpvSubtitleFile(mpv_handle* handle, const SidecarSubtitle& file);
