#pragma once

#include "filemenu/folder_walk.h"
#include "input/input_router.h"
#include "platform/clock.h"
#include "platform/media_session.h"
#include "platform/screen_awake.h"
#include "platform/session_bus.h"
#include "platform/sleep_watch.h"
#include "settings/playback_index.h"
#include "settings/refused_writes.h"
#include "settings/store.h"
#include "ui/screen_services.h"

// The services of one run, built once in main() and handed to whoever needs them. The picture
// plug-ins stay apart: there is one host per process, and a run without them is a run too.
class Services {
public:
    // systemBus: where logind is asked to wait for the program before the machine sleeps.
    Services(Clock& clock, SettingsStore& store, QDBusConnection systemBus = NoBus())
        : clock(clock), store(store), sleep(std::move(systemBus)) {}
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;

    // What the screens are handed.
    ScreenServices Screens(const TSPIs* plugins) {
        return {clock, store, sessions, awake, index, sleep, plugins};
    }
    FolderListServices FolderLists() { return {clock, store, checks, locks, index, sleep}; }

    Clock& clock;
    SettingsStore& store;
    InputRouter input{clock};
    MediaSessions sessions;
    ScreenAwake awake;
    const ExistenceChecks checks;
    CategoryLocks locks;
    RefusedWrites refusedWrites{store, clock};
    PlaybackIndex index{store};
    SleepWatch sleep;
};
