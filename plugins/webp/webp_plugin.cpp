// WebP picture plug-in on libwebp: 32-bit bottom-up bitmaps (the decoder flips for us);
// transparency is composited onto black (premultiplied output).

#include "plugin_support.h"

#include <algorithm>
#include <cstring>

#include <webp/decode.h>

namespace {

const char* const kInfo[] = {"00IN", "WebP picture plug-in for Couchframe (libwebp)", "*.webp",
                             "WebP pictures"};

bool LooksLikeWebp(const void* p) {
    const auto* b = static_cast<const uint8_t*>(p);
    return std::memcmp(b, "RIFF", 4) == 0 && std::memcmp(b + 8, "WEBP", 4) == 0;
}

// Lossless WebP can code a plain area in next to nothing; no real picture packs more than this.
constexpr uint64_t kMaxPixelsPerByte = 1 << 14;

// The data is fed in slices so that progress can be reported and an abort honoured.
constexpr size_t kSlice = 64 * 1024;

int32_t DecodePicture(const spi::Source& source, SPI_HLOCAL* pInfo, SPI_HLOCAL* pBits,
                      spi::Progress& progress) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return SPI_INTERNAL_ERROR;
    if (WebPGetFeatures(source.data(), source.size(), &config.input) != VP8_STATUS_OK)
        return SPI_BROKEN_DATA;
    const int w = config.input.width, h = config.input.height;
    if (w <= 0 || h <= 0 ||
        !spi::SizeAllowed(uint32_t(w), uint32_t(h), source.size(), kMaxPixelsPerByte))
        return SPI_NO_MEMORY;
    spi::Dib dib;
    int32_t result = dib.Allocate(uint32_t(w), uint32_t(h), 32);
    if (result != SPI_SUCCESS)
        return result;
    config.options.flip = 1;
    config.output.colorspace = MODE_bgrA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = dib.Row(uint32_t(h - 1));
    config.output.u.RGBA.stride = int(dib.stride());
    config.output.u.RGBA.size = dib.stride() * size_t(h);
    WebPIDecoder* decoder = WebPIDecode(nullptr, 0, &config);
    if (decoder == nullptr)
        return SPI_NO_MEMORY;
    result = SPI_BROKEN_DATA;
    for (size_t at = 0; at < source.size();) {
        const size_t n = std::min(kSlice, source.size() - at);
        const VP8StatusCode status = WebPIAppend(decoder, source.data() + at, n);
        at += n;
        if (status != VP8_STATUS_OK && status != VP8_STATUS_SUSPENDED)
            break;
        if (progress.Report(int64_t(at), int64_t(source.size()))) {
            result = SPI_ABORT;
            break;
        }
        if (status == VP8_STATUS_OK) {
            result = SPI_SUCCESS;
            break;
        }
    }
    WebPIDelete(decoder);
    WebPFreeDecBuffer(&config.output);
    if (result != SPI_SUCCESS)
        return result;
    // The premultiplied alpha byte would read as garbage in a 32-bit bitmap: clear it.
    for (int y = 0; y < h; ++y) {
        uint8_t* row = dib.Row(uint32_t(y));
        for (int x = 0; x < w; ++x)
            row[size_t(x) * 4 + 3] = 0;
    }
    dib.Release(pInfo, pBits);
    return SPI_SUCCESS;
}

int32_t Open(spi::Source& source, const char* buf, int32_t len, uint32_t flag) {
    int32_t result = source.Open(buf, len, flag);
    if (result != SPI_SUCCESS)
        return result;
    if (source.size() < 12 || !LooksLikeWebp(source.data()))
        return SPI_UNKNOWN_FORMAT;
    return SPI_SUCCESS;
}

} // namespace

SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
    return spi::CopyPluginInfo(kInfo, int32_t(std::size(kInfo)), infono, buf, buflen);
}

SPI_EXPORT int32_t IsSupported(const char*, const void* dw) {
    return dw != nullptr && LooksLikeWebp(dw) ? 1 : 0;
}

SPI_EXPORT int32_t GetPictureInfo(const char* buf, int32_t len, uint32_t flag,
                                  PictureInfo* lpInfo) {
    if (lpInfo == nullptr)
        return SPI_MEMORY_ERROR;
    spi::Source source;
    int32_t result = Open(source, buf, len, flag);
    if (result != SPI_SUCCESS)
        return result;
    int w = 0, h = 0;
    if (!WebPGetInfo(source.data(), source.size(), &w, &h))
        return SPI_BROKEN_DATA;
    spi::FillPictureInfo(lpInfo, uint32_t(w), uint32_t(h), 24);
    return SPI_SUCCESS;
}

SPI_EXPORT int32_t GetPicture(const char* buf, int32_t len, uint32_t flag, SPI_HLOCAL* pHBInfo,
                              SPI_HLOCAL* pHBm, SPI_PROGRESS lpPrgressCallback, intptr_t lData) {
    if (!spi::ResetOutputs(pHBInfo, pHBm))
        return SPI_MEMORY_ERROR;
    spi::Source source;
    int32_t result = Open(source, buf, len, flag);
    if (result != SPI_SUCCESS)
        return result;
    spi::Progress progress(lpPrgressCallback, lData);
    return DecodePicture(source, pHBInfo, pHBm, progress);
}
