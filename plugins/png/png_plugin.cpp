// PNG picture plug-in on libpng: 32-bit bottom-up bitmaps; transparency is composited onto black.

#include "plugin_support.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>

#include <png.h>

namespace {

const char* const kInfo[] = {"00IN", "PNG picture plug-in for Couchframe (libpng)", "*.png",
                             "PNG pictures"};

// Deflate packs at most 1032 bytes into one, and a 1-bit row holds 8 pixels a byte.
constexpr uint64_t kMaxPixelsPerByte = 1032 * 8;

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at;
};

void ReadData(png_structp png, png_bytep out, size_t length) {
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (length > reader->size - reader->at)
        png_error(png, "read past the end of the data");
    std::memcpy(out, reader->data + reader->at, length);
    reader->at += length;
}

// Every chunk must fit in the data it claims to be in. libpng sizes some buffers from the declared
// length before reading, so a 200-byte file declaring a 1.5 GB text chunk would allocate that much.
bool ChunkLengthsFit(const uint8_t* data, size_t size) {
    size_t at = 8;
    while (size - at >= 8) {
        const uint32_t length = uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16 |
                                uint32_t(data[at + 2]) << 8 | data[at + 3];
        if (length > size - at - 8)
            return false;
        if (std::memcmp(data + at + 4, "IEND", 4) == 0)
            return true;
        at += 8 + size_t(length);
        if (size - at < 4)
            return true; // the CRC or the end is missing: libpng reports that itself
        at += 4;
    }
    return true;
}

void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

enum class Mode { Info, Picture };

// Everything one decode touches lives here, so that a longjmp back into Run leaves nothing in
// registers that it needs.
struct Job {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Reader reader{};
    spi::Dib dib;
};

// Premultiplies BGRA in place: the same as drawing the picture over black.
void CompositeOntoBlack(uint8_t* row, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, row += 4) {
        const unsigned a = row[3];
        if (a != 255)
            for (int c = 0; c < 3; ++c)
                row[c] = uint8_t((row[c] * a + 127) / 255);
        row[3] = 0;
    }
}

int32_t Run(Job& job, Mode mode, PictureInfo* pictureInfo, spi::Progress& progress) {
    png_structp png = job.png;
    png_infop info = job.info;
    if (setjmp(png_jmpbuf(png)) != 0)
        return SPI_BROKEN_DATA;
    png_set_read_fn(png, &job.reader, ReadData);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_chunk_malloc_max(png, 16u << 20);
    png_read_info(png, info);
    const uint32_t w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (!spi::SizeAllowed(w, h, job.reader.size, kMaxPixelsPerByte))
        return SPI_NO_MEMORY;
    if (mode == Mode::Info) {
        spi::FillPictureInfo(pictureInfo, w, h, 24);
        return SPI_SUCCESS;
    }
    const int colorType = png_get_color_type(png, info);
    png_set_expand(png); // palette and low-depth grey to 8 bits, tRNS to alpha
    png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(w) * 4)
        return SPI_INTERNAL_ERROR;
    int32_t result = job.dib.Allocate(w, h, 32);
    if (result != SPI_SUCCESS)
        return result;
    const int64_t total = int64_t(passes) * h;
    const uint32_t step = std::max<uint32_t>(1, h / 64);
    for (int pass = 0; pass < passes; ++pass) {
        for (uint32_t y = 0; y < h; ++y) {
            png_read_row(png, job.dib.Row(y), nullptr);
            if ((y + 1) % step == 0 || y + 1 == h)
                if (progress.Report(int64_t(pass) * h + y + 1, total))
                    return SPI_ABORT;
        }
    }
    png_read_end(png, nullptr);
    for (uint32_t y = 0; y < h; ++y)
        CompositeOntoBlack(job.dib.Row(y), w);
    return SPI_SUCCESS;
}

int32_t Decode(const char* buf, int32_t len, uint32_t flag, Mode mode, PictureInfo* info,
               SPI_HLOCAL* pInfo, SPI_HLOCAL* pBits, SPI_PROGRESS callback, intptr_t data) {
    spi::Source source;
    int32_t result = source.Open(buf, len, flag);
    if (result != SPI_SUCCESS)
        return result;
    if (source.size() < 8 || std::memcmp(source.data(), kSignature, 8) != 0)
        return SPI_UNKNOWN_FORMAT;
    if (!ChunkLengthsFit(source.data(), source.size()))
        return SPI_BROKEN_DATA;
    Job job;
    job.reader = Reader{source.data(), source.size(), 0};
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (job.png == nullptr)
        return SPI_NO_MEMORY;
    job.info = png_create_info_struct(job.png);
    if (job.info == nullptr) {
        png_destroy_read_struct(&job.png, nullptr, nullptr);
        return SPI_NO_MEMORY;
    }
    spi::Progress progress(callback, data);
    result = Run(job, mode, info, progress);
    png_destroy_read_struct(&job.png, &job.info, nullptr);
    if (result == SPI_SUCCESS && mode == Mode::Picture)
        job.dib.Release(pInfo, pBits);
    return result;
}

} // namespace

SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
    return spi::CopyPluginInfo(kInfo, int32_t(std::size(kInfo)), infono, buf, buflen);
}

SPI_EXPORT int32_t IsSupported(const char*, const void* dw) {
    return dw != nullptr && std::memcmp(dw, kSignature, 8) == 0 ? 1 : 0;
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
