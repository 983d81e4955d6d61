#pragma once

// What every shipped picture plug-in shares: the plug-in information table, reading the source
// (file or memory) with size limits, allocating the bitmap it returns, and the progress calls.

#include "couchframe_spi.h"
#include "couchframe_spi_budget.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace spi {

// A fuzzing build lowers the machine's pixel budget further, so that a tiny hostile header cannot
// make every run allocate a gigabyte.
#ifndef COUCHFRAME_SPI_MAX_PIXELS
#define COUCHFRAME_SPI_MAX_PIXELS SPI_MAX_PIXEL_BUDGET
#endif
// Pictures above this many pixels are refused before anything large is allocated.
uint64_t PixelBudget();
// Compressed input larger than this is refused.
inline constexpr uint64_t kMaxInputBytes = 1ull << 30;

// Answers GetPluginInfo from a table of texts: item n is info[n].
int32_t CopyPluginInfo(const char* const* info, int32_t count, int32_t infono, char* buf,
                       int32_t buflen);

// The picture data as one block of memory: borrowed for memory input, read from the file (from
// the offset to its end) for file input.
class Source {
public:
    // Returns SPI_SUCCESS or an error code.
    int32_t Open(const char* buf, int32_t len, uint32_t flag);
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    std::vector<uint8_t> owned_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// A bottom-up bitmap being built: the header (with colour table) and the rows, both malloc()ed and
// handed to the host by Release().
class Dib {
public:
    Dib() = default;
    Dib(const Dib&) = delete;
    Dib& operator=(const Dib&) = delete;
    ~Dib();
    // Returns SPI_SUCCESS, or SPI_NO_MEMORY when the size is out of limits or allocation fails.
    int32_t Allocate(uint32_t width, uint32_t height, uint16_t bitCount, uint32_t colorCount = 0);
    uint8_t* Row(uint32_t topDownY) { return bits_ + size_t(height_ - 1 - topDownY) * stride_; }
    size_t stride() const { return stride_; }
    SPI_RGBQUAD* ColorTable();
    void Release(SPI_HLOCAL* info, SPI_HLOCAL* bits);

private:
    uint8_t* info_ = nullptr;
    uint8_t* bits_ = nullptr;
    uint32_t height_ = 0;
    size_t stride_ = 0;
};

// True when width x height is within the pixel budget (both non-zero).
bool SizeAllowed(uint64_t width, uint64_t height);
// As above, and plausible for dataBytes of a format that packs at most maxPixelsPerByte pixels into
// a byte (SPI_PixelsPlausible).
bool SizeAllowed(uint64_t width, uint64_t height, uint64_t dataBytes, uint64_t maxPixelsPerByte);

// Calls the host's progress callback (if any); true means the host asked to stop.
class Progress {
public:
    Progress(SPI_PROGRESS callback, intptr_t data) : callback_(callback), data_(data) {}
    bool Report(int64_t done, int64_t total);

private:
    SPI_PROGRESS callback_;
    intptr_t data_;
};

// Fills a PictureInfo with the size and depth (densities and position 0, no text).
void FillPictureInfo(PictureInfo* info, uint32_t width, uint32_t height, int16_t depth);

// Starts GetPicture's outputs as empty, and checks the pointers the host gave.
bool ResetOutputs(SPI_HLOCAL* info, SPI_HLOCAL* bits);

} // namespace spi
