// JPEG picture plug-in on libjpeg-turbo: 32-bit bottom-up bitmaps, EXIF orientation applied (the
// rows placed band by band, without a second copy of the picture),
// CMYK and YCCK (Adobe inverted or plain) turned into RGB, DCT-scaled previews, and pictures much
// larger than the area they are shown in decoded at a reduced DCT scale that still covers it.

#include "plugin_support.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace {

const char* const kInfo[] = {"00IN", "JPEG picture plug-in for Couchframe (libjpeg-turbo)",
                             "*.jpg;*.jpeg;*.jpe;*.jfif", "JPEG pictures"};

// Huffman coding spends at least a bit on every 8 x 8 block; arithmetic coding can do better, so
// allow eight times that.
constexpr uint64_t kMaxPixelsPerByte = 64 * 8 * 8;

// A damaged stream can make libjpeg warn once per block; past this many we give up on the file.
constexpr int kMaxWarnings = 1000;

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    int warnings;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    if (level < 0 && ++err->warnings > kMaxWarnings)
        longjmp(err->jump, 1);
}

uint16_t Read16(const uint8_t* p, bool little) {
    return little ? uint16_t(p[0] | p[1] << 8) : uint16_t(p[0] << 8 | p[1]);
}
uint32_t Read32(const uint8_t* p, bool little) {
    return little ? uint32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24)
                  : uint32_t(uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]);
}

// The EXIF orientation (1 to 8) of the first APP1 "Exif" marker; 1 when absent or unreadable.
int ExifOrientation(j_decompress_ptr cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m != nullptr; m = m->next) {
        if (m->marker != JPEG_APP0 + 1 || m->data_length < 14 ||
            std::memcmp(m->data, "Exif\0\0", 6) != 0)
            continue;
        const uint8_t* tiff = m->data + 6;
        size_t size = m->data_length - 6;
        bool little;
        if (std::memcmp(tiff, "II*\0", 4) == 0)
            little = true;
        else if (std::memcmp(tiff, "MM\0*", 4) == 0)
            little = false;
        else
            return 1;
        uint32_t ifd = Read32(tiff + 4, little);
        if (ifd > size || size - ifd < 2)
            return 1;
        uint16_t entries = Read16(tiff + ifd, little);
        for (uint32_t i = 0; i < entries; ++i) {
            size_t at = size_t(ifd) + 2 + size_t(i) * 12;
            if (at + 12 > size)
                return 1;
            if (Read16(tiff + at, little) == 0x0112 && Read16(tiff + at + 2, little) == 3) {
                uint16_t value = Read16(tiff + at + 8, little);
                return value >= 1 && value <= 8 ? value : 1;
            }
        }
        return 1;
    }
    return 1;
}

bool SwapsAxes(int orientation) {
    return orientation >= 5;
}

// Where a stored pixel (sx, sy) of a w x h picture goes in the displayed one, as
// x = xs * sx + xt * sy + x0 and y = ys * sx + yt * sy + y0.
struct Placement {
    int64_t xs, xt, x0, ys, yt, y0;
};

Placement PlacementOf(int orientation, int64_t w, int64_t h) {
    switch (orientation) {
    case 2:
        return {-1, 0, w - 1, 0, 1, 0};
    case 3:
        return {-1, 0, w - 1, 0, -1, h - 1};
    case 4:
        return {1, 0, 0, 0, -1, h - 1};
    case 5:
        return {0, 1, 0, 1, 0, 0};
    case 6:
        return {0, -1, h - 1, 1, 0, 0};
    case 7:
        return {0, -1, h - 1, -1, 0, w - 1};
    case 8:
        return {0, 1, 0, -1, 0, w - 1};
    default:
        return {1, 0, 0, 0, 1, 0};
    }
}

// CMYK samples to BGRX. Adobe writes the inks inverted (255 = no ink).
void CmykToBgrx(const uint8_t* cmyk, uint8_t* out, uint32_t width, bool adobeInverted) {
    for (uint32_t x = 0; x < width; ++x, cmyk += 4, out += 4) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!adobeInverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[0] = uint8_t((y * k + 127) / 255);
        out[1] = uint8_t((m * k + 127) / 255);
        out[2] = uint8_t((c * k + 127) / 255);
        out[3] = 0;
    }
}

enum class Mode { Info, Picture, Preview };

// The area a picture is shown fitted into; empty when the caller wants the full picture.
struct Area {
    int64_t width = 0, height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
};

// Whether an ow x oh picture is at least as large as a w x h picture fitted into the area, scaled
// by s = min(aw / w, ah / h): ow >= w * s and oh >= h * s, compared as exact cross products.
bool Covers(int64_t ow, int64_t oh, int64_t w, int64_t h, const Area& area) {
    return (ow >= area.width || ow * h >= area.height * w) &&
           (oh >= area.height || oh * w >= area.width * h);
}

// The smallest DCT scale of 1/8, 1/4 and 1/2 whose output still covers the picture fitted into the
// area, else the full size. libjpeg-turbo has fast (SIMD) code for these scales only; the other
// eighths would often cost more than they save.
void ScaleToCover(jpeg_decompress_struct& cinfo, bool swap, const Area& area) {
    const int64_t w = swap ? cinfo.image_height : cinfo.image_width;
    const int64_t h = swap ? cinfo.image_width : cinfo.image_height;
    for (unsigned denom = 8; denom > 1; denom /= 2) {
        cinfo.scale_num = 1;
        cinfo.scale_denom = denom;
        jpeg_calc_output_dimensions(&cinfo);
        const int64_t ow = swap ? cinfo.output_height : cinfo.output_width;
        const int64_t oh = swap ? cinfo.output_width : cinfo.output_height;
        if (Covers(ow, oh, w, h, area))
            return;
    }
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
}

// Stored rows decoded at a time before they are placed into a turned or mirrored picture: the
// picture is written in runs of this many pixels, and only this band is held twice.
constexpr uint32_t kBandRows = 32;

// Everything one decode touches lives here, so that a longjmp back into Run leaves nothing in
// registers that it needs.
struct Job {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    spi::Dib dib;
    std::vector<uint8_t> band; // stored rows waiting to be placed, when the picture is turned
    std::vector<uint8_t> cmykRow;
    int orientation = 1;
};

// Puts the stored rows [first, first + count) from the band into their places in the picture.
// The row loop is inside when the rows become columns, so the writes go to neighbouring pixels.
void PlaceBand(Job& job, uint32_t first, uint32_t count) {
    const uint32_t w = job.cinfo.output_width, h = job.cinfo.output_height;
    const Placement p = PlacementOf(job.orientation, w, h);
    const auto* band = reinterpret_cast<const uint32_t*>(job.band.data());
    auto put = [&](uint32_t sx, uint32_t i) {
        const int64_t sy = int64_t(first) + i;
        const int64_t x = p.xs * sx + p.xt * sy + p.x0, y = p.ys * sx + p.yt * sy + p.y0;
        reinterpret_cast<uint32_t*>(job.dib.Row(uint32_t(y)))[x] = band[size_t(i) * w + sx];
    };
    if (SwapsAxes(job.orientation)) {
        for (uint32_t sx = 0; sx < w; ++sx)
            for (uint32_t i = 0; i < count; ++i)
                put(sx, i);
    } else {
        for (uint32_t i = 0; i < count; ++i)
            for (uint32_t sx = 0; sx < w; ++sx)
                put(sx, i);
    }
}

int32_t DecodeRows(Job& job, spi::Progress& progress) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    const uint32_t w = cinfo.output_width, h = cinfo.output_height;
    const bool cmyk = cinfo.out_color_space == JCS_CMYK;
    const bool direct = job.orientation == 1;
    const size_t rowBytes = size_t(w) * 4;
    if (!direct)
        job.band.resize(rowBytes * kBandRows);
    if (cmyk)
        job.cmykRow.resize(rowBytes * size_t(cinfo.rec_outbuf_height));

    const int32_t progressStep = int32_t(std::max<uint32_t>(1, h / 64));
    uint32_t lastReport = 0, bandStart = 0;
    while (cinfo.output_scanline < h) {
        const uint32_t y = cinfo.output_scanline;
        JSAMPROW rows[16];
        const uint32_t room = direct ? 16u : kBandRows - (y - bandStart);
        const uint32_t batch =
            std::min<uint32_t>({h - y, uint32_t(cinfo.rec_outbuf_height), 16u, room});
        auto target = [&](uint32_t row) {
            return direct ? job.dib.Row(row) : job.band.data() + rowBytes * (row - bandStart);
        };
        for (uint32_t i = 0; i < batch; ++i)
            rows[i] = cmyk ? job.cmykRow.data() + rowBytes * i : target(y + i);
        const uint32_t got = jpeg_read_scanlines(&cinfo, rows, batch);
        if (got == 0)
            return SPI_BROKEN_DATA;
        if (cmyk)
            for (uint32_t i = 0; i < got; ++i)
                CmykToBgrx(rows[i], target(y + i), w, cinfo.saw_Adobe_marker);
        const uint32_t banded = cinfo.output_scanline - bandStart;
        if (!direct && (banded == kBandRows || cinfo.output_scanline == h)) {
            PlaceBand(job, bandStart, banded);
            bandStart = cinfo.output_scanline;
        }
        if (cinfo.output_scanline - lastReport >= uint32_t(progressStep) ||
            cinfo.output_scanline == h) {
            lastReport = cinfo.output_scanline;
            if (progress.Report(lastReport, h))
                return SPI_ABORT;
        }
    }
    return SPI_SUCCESS;
}

int32_t Run(Job& job, const spi::Source& source, Mode mode, const Area& area, PictureInfo* info,
            spi::Progress& progress) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    cinfo.err = jpeg_std_error(&job.err.pub);
    job.err.pub.error_exit = ErrorExit;
    job.err.pub.emit_message = EmitMessage;
    if (setjmp(job.err.jump) != 0)
        return SPI_BROKEN_DATA;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, source.data(), static_cast<unsigned long>(source.size()));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    job.orientation = ExifOrientation(&cinfo);

    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK)
        cinfo.out_color_space = JCS_CMYK;
    else
        cinfo.out_color_space = JCS_EXT_BGRX;
    if (mode == Mode::Preview) {
        unsigned denom = 8;
        while (denom > 1 && std::max(cinfo.image_width, cinfo.image_height) / denom < 256)
            denom /= 2;
        cinfo.scale_num = 1;
        cinfo.scale_denom = denom;
    }
    const bool swap = SwapsAxes(job.orientation);
    if (mode == Mode::Picture && !area.Empty())
        ScaleToCover(cinfo, swap, area);
    jpeg_calc_output_dimensions(&cinfo);
    const uint32_t w = cinfo.output_width, h = cinfo.output_height;
    if (!spi::SizeAllowed(w, h, source.size(), kMaxPixelsPerByte))
        return SPI_NO_MEMORY;
    if (mode == Mode::Info) {
        spi::FillPictureInfo(info, swap ? h : w, swap ? w : h, 24);
        if (cinfo.density_unit == 1) {
            info->x_density = cinfo.X_density;
            info->y_density = cinfo.Y_density;
        }
        return SPI_SUCCESS;
    }
    int32_t result = job.dib.Allocate(swap ? h : w, swap ? w : h, 32);
    if (result != SPI_SUCCESS)
        return result;
    jpeg_start_decompress(&cinfo);
    result = DecodeRows(job, progress);
    if (result == SPI_SUCCESS)
        jpeg_finish_decompress(&cinfo);
    return result;
}

int32_t Decode(const char* buf, int32_t len, uint32_t flag, Mode mode, const Area& area,
               PictureInfo* info, SPI_HLOCAL* pInfo, SPI_HLOCAL* pBits, SPI_PROGRESS callback,
               intptr_t data) {
    spi::Source source;
    int32_t result = source.Open(buf, len, flag);
    if (result != SPI_SUCCESS)
        return result;
    Job job;
    spi::Progress progress(callback, data);
    result = Run(job, source, mode, area, info, progress);
    jpeg_destroy_decompress(&job.cinfo);
    if (result == SPI_SUCCESS && mode != Mode::Info)
        job.dib.Release(pInfo, pBits);
    return result;
}

bool LooksLikeJpeg(const uint8_t* p) {
    return p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF;
}

} // namespace

SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
    return spi::CopyPluginInfo(kInfo, int32_t(std::size(kInfo)), infono, buf, buflen);
}

SPI_EXPORT int32_t IsSupported(const char*, const void* dw) {
    return dw != nullptr && LooksLikeJpeg(static_cast<const uint8_t*>(dw)) ? 1 : 0;
}

SPI_EXPORT int32_t GetPictureInfo(const char* buf, int32_t len, uint32_t flag,
                                  PictureInfo* lpInfo) {
    if (lpInfo == nullptr)
        return SPI_MEMORY_ERROR;
    return Decode(buf, len, flag, Mode::Info, Area{}, lpInfo, nullptr, nullptr, nullptr, 0);
}

SPI_EXPORT int32_t GetPicture(const char* buf, int32_t len, uint32_t flag, SPI_HLOCAL* pHBInfo,
                              SPI_HLOCAL* pHBm, SPI_PROGRESS lpPrgressCallback, intptr_t lData) {
    if (!spi::ResetOutputs(pHBInfo, pHBm))
        return SPI_MEMORY_ERROR;
    return Decode(buf, len, flag, Mode::Picture, Area{}, nullptr, pHBInfo, pHBm, lpPrgressCallback,
                  lData);
}

SPI_EXPORT int32_t GetPictureForArea(const char* buf, int32_t len, uint32_t flag, int32_t areaWidth,
                                     int32_t areaHeight, SPI_HLOCAL* pHBInfo, SPI_HLOCAL* pHBm,
                                     SPI_PROGRESS lpPrgressCallback, intptr_t lData) {
    if (!spi::ResetOutputs(pHBInfo, pHBm))
        return SPI_MEMORY_ERROR;
    return Decode(buf, len, flag, Mode::Picture, Area{areaWidth, areaHeight}, nullptr, pHBInfo,
                  pHBm, lpPrgressCallback, lData);
}

SPI_EXPORT int32_t GetPreview(const char* buf, int32_t len, uint32_t flag, SPI_HLOCAL* pHBInfo,
                              SPI_HLOCAL* pHBm, SPI_PROGRESS lpPrgressCallback, intptr_t lData) {
    if (!spi::ResetOutputs(pHBInfo, pHBm))
        return SPI_MEMORY_ERROR;
    return Decode(buf, len, flag, Mode::Preview, Area{}, nullptr, pHBInfo, pHBm, lpPrgressCallback,
                  lData);
}
