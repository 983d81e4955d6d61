#include "platform/heap_tuning.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <malloc.h>

namespace {
// Where the compiler cannot drop the allocations as unused.
void* volatile gBlock = nullptr;

// Whether a block of this size taken now is mapped on its own (and so given back when freed).
bool TakenMapped(std::size_t size) {
    const std::size_t before = mallinfo2().hblkhd;
    gBlock = std::malloc(size);
    const bool mapped = mallinfo2().hblkhd >= before + size;
    std::free(gBlock);
    gBlock = nullptr;
    return mapped;
}
} // namespace

TEST(HeapTuningTest, FrameSizedBlocksStayMappedAfterOneIsFreed) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's allocator stands in for the C library's here";
#endif
    KeepLargeBlocksMapped();
    // A 1080p picture, freed and taken again as the player does for every frame: by glibc's
    // default the first free would move the next ones into the heap.
    constexpr std::size_t frame = 1920 * 1080 * 4;
    EXPECT_TRUE(TakenMapped(frame));
    EXPECT_TRUE(TakenMapped(frame));
    EXPECT_TRUE(TakenMapped(kMappedBlockSize));
}
