#pragma once

class SettingsStore;

// The settings store of this test binary, as main() would build one for a run: on the binary's own
// configuration folder (or whatever file a test points it at with UseDatabase).
SettingsStore& TestStore();
