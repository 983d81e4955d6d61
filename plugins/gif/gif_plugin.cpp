// GIF picture plug-in on giflib: the first frame on the logical screen, as an 8-bit bottom-up
// bitmap with its colour table. Transparent pixels show black.

#include "plugin_support.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <gif_lib.h>

namespace {

const char* const kInfo[] = {"00IN", "GIF picture plug-in for Couchframe (giflib)", "*.gif",
                             "GIF pictures"};

// A 12-bit LZW code stands for at most 4096 pixels; the screen around the frame costs nothing, so
// this is generous already.
constexpr uint64_t kMaxPixelsPerByte = 4096;

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at;
};

int ReadData(GifFileType* gif, GifByteType* out, int length) {
    auto* reader = static_cast<Reader*>(gif->UserData);
    const size_t n = std::min(size_t(length < 0 ? 0 : length), reader->size - reader->at);
    std::memcpy(out, reader->data + reader->at, n);
    reader->at += n;
    return int(n);
}

bool LooksLikeGif(const void* p) {
    return std::memcmp(p, "GIF87a", 6) == 0 || std::memcmp(p, "GIF89a", 6) == 0;
}

enum class Mode { Info, Picture };

struct Frame {
    int transparent = -1;
};

// Reads records up to the first image; a graphic control extension before it may name the
// transparent colour index.
int32_t SkipToImage(GifFileType* gif, Frame& frame) {
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return SPI_BROKEN_DATA;
        if (type == IMAGE_DESC_RECORD_TYPE)
            return DGifGetImageDesc(gif) == GIF_ERROR ? SPI_BROKEN_DATA : SPI_SUCCESS;
        if (type == TERMINATE_RECORD_TYPE)
            return SPI_BROKEN_DATA;
        if (type == EXTENSION_RECORD_TYPE) {
            int code;
            GifByteType* block;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                return SPI_BROKEN_DATA;
            if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4)
                frame.transparent = (block[1] & 1) ? block[4] : -1;
            while (block != nullptr)
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return SPI_BROKEN_DATA;
        }
    }
}

int32_t Run(GifFileType* gif, Mode mode, PictureInfo* info, SPI_HLOCAL* pInfo, SPI_HLOCAL* pBits,
            spi::Progress& progress) {
    const uint32_t w = uint32_t(std::max(gif->SWidth, 0)), h = uint32_t(std::max(gif->SHeight, 0));
    const auto* reader = static_cast<const Reader*>(gif->UserData);
    if (!spi::SizeAllowed(w, h, reader->size, kMaxPixelsPerByte))
        return SPI_NO_MEMORY;
    if (mode == Mode::Info) {
        spi::FillPictureInfo(info, w, h, 8);
        return SPI_SUCCESS;
    }
    Frame frame;
    int32_t result = SkipToImage(gif, frame);
    if (result != SPI_SUCCESS)
        return result;
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    spi::Dib dib;
    if ((result = dib.Allocate(w, h, 8, 256)) != SPI_SUCCESS)
        return result;
    SPI_RGBQUAD* table = dib.ColorTable();
    for (int i = 0; i < 256; ++i) {
        if (map != nullptr && i < map->ColorCount)
            table[i] = {map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red, 0};
        else
            table[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    }
    if (frame.transparent >= 0)
        table[frame.transparent] = {0, 0, 0, 0};
    const uint8_t fill =
        uint8_t(frame.transparent >= 0 ? frame.transparent : gif->SBackGroundColor);
    for (uint32_t y = 0; y < h; ++y)
        std::memset(dib.Row(y), fill, w);

    // The frame may lie partly outside the screen: decode every line, keep what falls inside.
    const int fw = desc.Width, fh = desc.Height;
    if (fw <= 0 || fh <= 0 || !spi::SizeAllowed(uint32_t(fw), uint32_t(fh)))
        return SPI_BROKEN_DATA;
    std::vector<GifPixelType> line(static_cast<size_t>(fw));
    std::vector<int> order;
    order.reserve(size_t(fh));
    if (desc.Interlace) {
        const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = starts[pass]; y < fh; y += steps[pass])
                order.push_back(y);
    } else {
        for (int y = 0; y < fh; ++y)
            order.push_back(y);
    }
    const int step = std::max(1, fh / 64);
    for (size_t i = 0; i < order.size(); ++i) {
        if (DGifGetLine(gif, line.data(), fw) == GIF_ERROR)
            return SPI_BROKEN_DATA;
        const int64_t y = int64_t(desc.Top) + order[i];
        if (y >= 0 && y < int64_t(h)) {
            uint8_t* row = dib.Row(uint32_t(y));
            for (int x = 0; x < fw; ++x) {
                const int64_t sx = int64_t(desc.Left) + x;
                if (sx >= 0 && sx < int64_t(w) && line[size_t(x)] != frame.transparent)
                    row[sx] = line[size_t(x)];
            }
        }
        if ((i + 1) % size_t(step) == 0 || i + 1 == order.size())
            if (progress.Report(int64_t(i + 1), fh))
                return SPI_ABORT;
    }
    dib.Release(pInfo, pBits);
    return SPI_SUCCESS;
}

int32_t Decode(const char* buf, int32_t len, uint32_t flag, Mode mode, PictureInfo* info,
               SPI_HLOCAL* pInfo, SPI_HLOCAL* pBits, SPI_PROGRESS callback, intptr_t data) {
    spi::Source source;
    int32_t result = source.Open(buf, len, flag);
    if (result != SPI_SUCCESS)
        return result;
    if (source.size() < 6 || !LooksLikeGif(source.data()))
        return SPI_UNKNOWN_FORMAT;
    Reader reader{source.data(), source.size(), 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadData, &error);
    if (gif == nullptr)
        return SPI_BROKEN_DATA;
    spi::Progress progress(callback, data);
    result = Run(gif, mode, info, pInfo, pBits, progress);
    DGifCloseFile(gif, &error);
    return result;
}

} // namespace

SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
    return spi::CopyPluginInfo(kInfo, int32_t(std::size(kInfo)), infono, buf, buflen);
}

SPI_EXPORT int32_t IsSupported(const char*, const void* dw) {
    return dw != nullptr && LooksLikeGif(dw) ? 1 : 0;
}

SPI_EXPORT int32_t GetPictureInfo(const char* buf, int32_t len, uint32_t flag,
                                  PictureInfo* lpInfo) {
    if (lpInfo == nullptr)
        return SPI_MEMORY_ERROR;
    return Decode(buf, len, flag, Mode::Info, lpInfo, nullptr, nullptr, nullptr, 0);
}

SPI_EXPORT int32_t GetPicture(const char* buf, int32_t len, uint32_t flag, SPI_HLOCAL* pHBInfo,
                              SPI_HLOCAL* pHBm, SPI_PROGRESS lpPrgressCallback, intptr_t lData) {
    if (!spi::ResetOutputs(pHBInfo, pHBm))
        return SPI_MEMORY_ERROR;
    return Decode(buf, len, flag, Mode::Picture, nullptr, pHBInfo, pHBm, lpPrgressCallback, lData);
}
