#include "platform/heap_tuning.h"

#include <malloc.h>

void KeepLargeBlocksMapped() {
    // Setting it also turns off glibc's raising of it. A failure leaves the default: only more
    // memory used, never a fault.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(kMappedBlockSize));
}
