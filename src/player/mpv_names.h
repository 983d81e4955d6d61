#pragma once

// Every mpv option, property and command name the player uses, in one place, so that a change of
// mpv version is one edit.
namespace mpvname {
// Options set before the player core starts.
inline constexpr const char* Config = "config";
inline constexpr const char* ConfigDir = "config-dir";
inline constexpr const char* Terminal = "terminal";
inline constexpr const char* InputDefaultBindings = "input-default-bindings";
inline constexpr const char* InputVoKeyboard = "input-vo-keyboard";
inline constexpr const char* Osc = "osc";
inline constexpr const char* LoadScripts = "load-scripts";
inline constexpr const char* Ytdl = "ytdl";
inline constexpr const char* Idle = "idle";
inline constexpr const char* KeepOpen = "keep-open";
inline constexpr const char* ForceWindow = "force-window";
inline constexpr const char* AudioDisplay = "audio-display";
inline constexpr const char* VideoTimingOffset = "video-timing-offset";
inline constexpr const char* Hwdec = "hwdec";
inline constexpr const char* VideoOutput = "vo";
inline constexpr const char* AudioOutput = "ao";
inline constexpr const char* AudioFallbackToNull = "audio-fallback-to-null";
inline constexpr const char* SubAuto = "sub-auto";
inline constexpr const char* CoverArtAuto = "cover-art-auto";
inline constexpr const char* SubtitleLanguages = "slang";
inline constexpr const char* AudioLanguages = "alang";

// Option values.
inline constexpr const char* Yes = "yes";
inline constexpr const char* No = "no";
inline constexpr const char* HwdecAutoSafe = "auto-safe";
inline constexpr const char* VoLibmpv = "libmpv";
inline constexpr const char* VoNull = "null";
inline constexpr const char* LoopForever = "inf";
// An audio file's embedded cover is decoded (as a one-picture video track); picture files beside
// it are not looked for by mpv (the screen has its own rule for those).
inline constexpr const char* AudioDisplayEmbedded = "embedded-first";
// External subtitles whose name contains the video's base name are loaded.

// Properties.
inline constexpr const char* Pause = "pause";
inline constexpr const char* IdleActive = "idle-active";
inline constexpr const char* PausedForCache = "paused-for-cache";
inline constexpr const char* Seekable = "seekable";
inline constexpr const char* TimePos = "time-pos";
inline constexpr const char* Duration = "duration";
inline constexpr const char* Path = "path";
inline constexpr const char* StreamOpenFilename = "stream-open-filename";
inline constexpr const char* Volume = "volume";
inline constexpr const char* AudioDeviceList = "audio-device-list";
inline constexpr const char* Mute = "mute";
inline constexpr const char* Speed = "speed";
inline constexpr const char* LoopPlaylist = "loop-playlist";
inline constexpr const char* PlaylistPos = "playlist-pos";
inline constexpr const char* PlaylistCount = "playlist-count";
inline constexpr const char* VideoWidth = "dwidth";
inline constexpr const char* VideoHeight = "dheight";
inline constexpr const char* Metadata = "metadata";
inline constexpr const char* CurrentVideoIsAlbumArt = "current-tracks/video/albumart";
inline constexpr const char* TrackListCount = "track-list/count";
inline constexpr const char* TrackListEntry = "track-list/"; // followed by "N/" and a field
inline constexpr const char* TrackType = "type";
inline constexpr const char* TrackSelected = "selected";
inline constexpr const char* TrackLanguage = "lang";
inline constexpr const char* TrackTitle = "title";
inline constexpr const char* TrackTypeSub = "sub";
inline constexpr const char* TrackTypeAudio = "audio";
inline constexpr const char* TrackId = "id";
inline constexpr const char* TrackForced = "forced";
inline constexpr const char* TrackExternal = "external";
inline constexpr const char* TrackExternalFile = "external-filename";
inline constexpr const char* SubtitleTrack = "sid";
inline constexpr const char* AudioTrack = "aid";
inline constexpr const char* FrameDropCount = "frame-drop-count";
inline constexpr const char* DecoderFrameDropCount = "decoder-frame-drop-count";

// Hooks: mpv waits for the client before it opens each playlist entry.
inline constexpr const char* OnLoadHook = "on_load";

// Commands and their arguments.
inline constexpr const char* LoadFile = "loadfile";
inline constexpr const char* Replace = "replace";
inline constexpr const char* Append = "append";
inline constexpr const char* PlaylistClear = "playlist-clear";
inline constexpr const char* AudioReload = "ao-reload";
inline constexpr const char* SubAdd = "sub-add";
inline constexpr const char* SubAddUnselected = "auto";
inline constexpr const char* Stop = "stop";
inline constexpr const char* KeepPlaylist = "keep-playlist";
inline constexpr const char* Seek = "seek";
inline constexpr const char* AbsoluteExact = "absolute+exact";
inline constexpr const char* RelativeExact = "relative+exact";
inline constexpr const char* PlaylistShuffle = "playlist-shuffle";
inline constexpr const char* PlaylistUnshuffle = "playlist-unshuffle";
inline constexpr const char* Cycle = "cycle";
inline constexpr const char* ScreenshotRaw = "screenshot-raw";
inline constexpr const char* ScreenshotVideo = "video";

// A playlist handed over in memory: the prefix, then the text of an ".m3u" file.
inline constexpr const char* MemoryPlaylist = "memory://#EXTM3U\n";

// Software renderer pixel format: bytes R, G, B, padding (QImage::Format_RGBX8888).
inline constexpr const char* SoftwareFormat = "rgb0";
} // namespace mpvname
