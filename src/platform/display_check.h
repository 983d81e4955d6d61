#pragma once

// Watches the start of the window system: where no display or compositor can be reached, Qt would
// abort with its own advice; this says so in one line on stderr and exits with status 1 instead.
// The other messages of the start are held back until it is known whether it failed.
class DisplayStartGuard {
public:
    DisplayStartGuard();
    ~DisplayStartGuard();
    DisplayStartGuard(const DisplayStartGuard&) = delete;
    DisplayStartGuard& operator=(const DisplayStartGuard&) = delete;
};
