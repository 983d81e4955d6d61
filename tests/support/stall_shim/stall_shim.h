#pragma once

// Control of the stall shim (see stall_shim.cpp).
extern "C" {
// From now on, calls on paths that begin with prefix wait until released.
void stall_shim_hold(const char* prefix);
// Lets every waiting call go on; nothing stalls any more.
void stall_shim_release(void);
// From now on, opening a file below prefix, or reading one opened before, fails with EIO.
void stall_shim_fail(const char* prefix);
// Nothing fails any more.
void stall_shim_mend(void);
// How many calls are waiting now.
int stall_shim_waiting(void);
// Waits up to timeoutMs until at least count calls wait; 1 when they do.
int stall_shim_wait_for_stalled(int count, int timeoutMs);
}
