#pragma once

#include "app/services.h"
#include "test_store.h"
#include "ui/screen_stack.h"

namespace detail {
// Holds the real clock for a run's services built on it.
struct RealClock {
    SteadyClock steady;
};
} // namespace detail

// The run's services as main() builds them, for a test, with the window the screens stand on: on
// the real clock unless the test hands in one it moves by hand.
class TestServices : private detail::RealClock, public Services {
public:
    // systemBus: none unless the test runs a logind of its own.
    explicit TestServices(Clock* clock = nullptr, QDBusConnection systemBus = NoBus())
        : Services(clock ? *clock : steady, TestStore(), std::move(systemBus)) {}
    ScreenServices Screens(const TSPIs* plugins = nullptr) { return Services::Screens(plugins); }

    ScreenStack window{input};
};
