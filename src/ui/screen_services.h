#pragma once

class Clock;
class MediaSessions;
class PlaybackIndex;
class SettingsStore;
class ScreenAwake;
class SleepWatch;
class TSPIs;

// What the screens share with the rest of one run. Everything here is built once, in main(), and
// outlives every screen; a screen is handed the bundle when it is made.
struct ScreenServices {
    Clock& clock;
    SettingsStore& store;
    MediaSessions& sessions;
    ScreenAwake& awake;
    PlaybackIndex& index;
    // The machine's sleep and wake: a playing screen pauses before it sleeps.
    SleepWatch& sleep;
    // The picture plug-ins; none: pictures are read by the built-in decoder only.
    const TSPIs* plugins = nullptr;
};
