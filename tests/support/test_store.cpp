#include "test_store.h"

#include "settings/store.h"

SettingsStore& TestStore() {
    // One per test binary, opened at its first use after the test main has set the configuration
    // folder; tests and the services they build share it.
    static SettingsStore store;
    return store;
}
