#pragma once

#include <cstddef>

// Blocks of this size or more (video frames, decoder buffers, album covers) are mapped from the
// system one by one and given back as soon as they are freed.
inline constexpr std::size_t kMappedBlockSize = 1024 * 1024;

// Fixes the C library's mmap threshold at kMappedBlockSize, for the whole process; to call first
// thing in main, before other threads start. glibc otherwise raises the threshold to the largest
// mapped block freed so far (up to 32 MB): from then on frames of that size come from the heaps
// of the threads that free them, and what fragments there is never returned.
void KeepLargeBlocksMapped();
