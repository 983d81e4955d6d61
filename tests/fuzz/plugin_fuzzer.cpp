// Feeds arbitrary bytes to one picture plug-in's memory entry points, as the host would: the
// header check, the picture information and the full decode with a progress callback.

#include "couchframe_spi.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
int32_t KeepGoing(int32_t, int32_t, intptr_t) {
    return 0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x7FFFFFFF)
        return 0;
    std::vector<char> header(2048 + 128, 0);
    std::memcpy(header.data(), data, size < header.size() ? size : header.size());
    const auto* buf = reinterpret_cast<const char*>(data);
    if (IsSupported("", header.data()) == 0 && size > 0 && (data[0] & 1))
        return 0; // half of the unsupported inputs still go through the decoder
    PictureInfo info{};
    if (GetPictureInfo(buf, int32_t(size), SPI_INPUT_MEMORY, &info) == SPI_SUCCESS)
        std::free(info.hInfo);
    SPI_HLOCAL bitmapInfo = nullptr, bits = nullptr;
    if (GetPicture(buf, int32_t(size), SPI_INPUT_MEMORY, &bitmapInfo, &bits, KeepGoing, 0) ==
        SPI_SUCCESS) {
        // Every row the header promises must be there to read.
        SPI_BITMAPINFOHEADER h;
        std::memcpy(&h, bitmapInfo, sizeof h);
        const size_t stride = (size_t(h.biBitCount) * size_t(h.biWidth) + 31) / 32 * 4;
        const size_t rows = size_t(h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight);
        volatile uint8_t sink = 0;
        for (size_t y = 0; y < rows; ++y)
            sink = sink + static_cast<uint8_t*>(bits)[y * stride + stride - 1];
        std::free(bitmapInfo);
        std::free(bits);
    }
    return 0;
}
