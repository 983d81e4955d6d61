#pragma once

#include "spi/sdk/couchframe_spi.h"

#include <cstdlib>

// Local-memory handles of the plug-in interface: malloc() blocks, so locking is the identity and
// freeing is free().
inline void* LocalLock(SPI_HLOCAL handle) {
    return handle;
}
inline void LocalUnlock(SPI_HLOCAL) {}
inline void LocalFree(SPI_HLOCAL handle) {
    std::free(handle);
}
