// HEIF picture plug-in on libheif: HEIC (HEVC) and AVIF (AV1) still pictures as 32-bit bottom-up
// bitmaps. libheif applies the container's crop, rotation and mirroring itself; EXIF orientation
// is not applied on top (in HEIF it only repeats what the container says). Transparency is
// composited onto black. A format whose decoder libheif lacks is refused as unknown.

#include "heif_items.h"
#include "plugin_support.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

#include <libheif/heif.h>

#include <dlfcn.h>

namespace {

const char* const kInfo[] = {"00IN",          "HEIF picture plug-in for Couchframe (libheif)",
                             "*.heic;*.heif", "HEIF pictures (HEIC)",
                             "*.avif",        "AVIF pictures"};

// HEVC and AV1 can code a plain area in next to nothing; no real picture packs more than this.
constexpr uint64_t kMaxPixelsPerByte = 1 << 14;

// libheif's own limit on each side, before anything is decoded, as large as the pixel budget's
// largest square. It also holds for sizes that only the decode reads (a grid's output size, which
// may differ from the size the picture claims), so a tiny file cannot make libheif allocate more;
// the pixel budget comes on top for the sizes the picture claims.
constexpr int kMaxSide = 1 << 14;

// libheif and the codecs it links (x265, aom, dav1d, de265) are large, and every start of the
// program loads every plug-in: libheif is loaded when the first HEIF file comes instead.
struct Library {
    decltype(&::heif_context_alloc) context_alloc = nullptr;
    decltype(&::heif_context_free) context_free = nullptr;
    decltype(&::heif_context_get_primary_image_handle) context_get_primary_image_handle = nullptr;
    decltype(&::heif_context_read_from_memory_without_copy) context_read_from_memory_without_copy =
        nullptr;
    decltype(&::heif_context_set_maximum_image_size_limit) context_set_maximum_image_size_limit =
        nullptr;
    decltype(&::heif_decode_image) decode_image = nullptr;
    decltype(&::heif_decoding_options_alloc) decoding_options_alloc = nullptr;
    decltype(&::heif_decoding_options_free) decoding_options_free = nullptr;
    decltype(&::heif_have_decoder_for_format) have_decoder_for_format = nullptr;
    decltype(&::heif_image_get_height) image_get_height = nullptr;
    decltype(&::heif_image_get_plane_readonly) image_get_plane_readonly = nullptr;
    decltype(&::heif_image_get_width) image_get_width = nullptr;
    decltype(&::heif_image_handle_get_height) image_handle_get_height = nullptr;
    decltype(&::heif_image_handle_get_ispe_height) image_handle_get_ispe_height = nullptr;
    decltype(&::heif_image_handle_get_ispe_width) image_handle_get_ispe_width = nullptr;
    decltype(&::heif_image_handle_get_width) image_handle_get_width = nullptr;
    decltype(&::heif_image_handle_release) image_handle_release = nullptr;
    decltype(&::heif_image_release) image_release = nullptr;
};

// The loaded library, or none when libheif 1 is not installed (every HEIF file is then unknown).
const Library* LoadLibrary() {
    static const Library* const loaded = []() -> const Library* {
        void* handle = ::dlopen("libheif.so.1", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            return nullptr;
        static Library library;
        bool complete = true;
        auto look = [&](auto& entry, const char* name) {
            entry =
                reinterpret_cast<std::remove_reference_t<decltype(entry)>>(::dlsym(handle, name));
            complete = complete && entry != nullptr;
        };
        look(library.context_alloc, "heif_context_alloc");
        look(library.context_free, "heif_context_free");
        look(library.context_get_primary_image_handle, "heif_context_get_primary_image_handle");
        look(library.context_read_from_memory_without_copy,
             "heif_context_read_from_memory_without_copy");
        look(library.context_set_maximum_image_size_limit,
             "heif_context_set_maximum_image_size_limit");
        look(library.decode_image, "heif_decode_image");
        look(library.decoding_options_alloc, "heif_decoding_options_alloc");
        look(library.decoding_options_free, "heif_decoding_options_free");
        look(library.have_decoder_for_format, "heif_have_decoder_for_format");
        look(library.image_get_height, "heif_image_get_height");
        look(library.image_get_plane_readonly, "heif_image_get_plane_readonly");
        look(library.image_get_width, "heif_image_get_width");
        look(library.image_handle_get_height, "heif_image_handle_get_height");
        look(library.image_handle_get_ispe_height, "heif_image_handle_get_ispe_height");
        look(library.image_handle_get_ispe_width, "heif_image_handle_get_ispe_width");
        look(library.image_handle_get_width, "heif_image_handle_get_width");
        look(library.image_handle_release, "heif_image_handle_release");
        look(library.image_release, "heif_image_release");
        return complete ? &library : nullptr;
    }();
    return loaded;
}

// Only called once LoadLibrary has answered.
const Library& Heif() {
    return *LoadLibrary();
}

enum class Codec { None, Hevc, Av1 };

Codec CodecOfBrand(uint32_t brand) {
    switch (brand) {
    case heif_fourcc('h', 'e', 'i', 'c'):
    case heif_fourcc('h', 'e', 'i', 'x'):
    case heif_fourcc('h', 'e', 'v', 'c'):
    case heif_fourcc('h', 'e', 'v', 'x'):
    case heif_fourcc('h', 'e', 'i', 'm'):
    case heif_fourcc('h', 'e', 'i', 's'):
        return Codec::Hevc;
    case heif_fourcc('a', 'v', 'i', 'f'):
    case heif_fourcc('a', 'v', 'i', 's'):
        return Codec::Av1;
    default:
        return Codec::None;
    }
}

// What the "ftyp" box at the start says the file holds: its major brand, else the first
// compatible brand that names a codec (a file may say only "mif1" first).
Codec CodecOf(const uint8_t* data, size_t size) {
    if (size < 16 || std::memcmp(data + 4, "ftyp", 4) != 0)
        return Codec::None;
    auto brandAt = [data](size_t at) {
        return uint32_t(data[at]) << 24 | uint32_t(data[at + 1]) << 16 |
               uint32_t(data[at + 2]) << 8 | data[at + 3];
    };
    const size_t boxEnd = std::min<size_t>(brandAt(0), size);
    if (const Codec major = CodecOfBrand(brandAt(8)); major != Codec::None)
        return major;
    for (size_t at = 16; at + 4 <= boxEnd; at += 4)
        if (const Codec compatible = CodecOfBrand(brandAt(at)); compatible != Codec::None)
            return compatible;
    return Codec::None;
}

bool Decodable(Codec codec) {
    if (codec == Codec::None || LoadLibrary() == nullptr)
        return false;
    switch (codec) {
    case Codec::Hevc:
        return Heif().have_decoder_for_format(heif_compression_HEVC) != 0;
    case Codec::Av1:
        return Heif().have_decoder_for_format(heif_compression_AV1) != 0;
    default:
        return false;
    }
}

struct ContextFree {
    void operator()(heif_context* c) const { Heif().context_free(c); }
};
struct HandleFree {
    void operator()(heif_image_handle* h) const { Heif().image_handle_release(h); }
};
struct ImageFree {
    void operator()(heif_image* i) const { Heif().image_release(i); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const { Heif().decoding_options_free(o); }
};

// The primary picture of the data, read but not decoded.
class Picture {
public:
    // SPI_SUCCESS, or the error code to answer.
    int32_t Open(const char* buf, int32_t len, uint32_t flag) {
        int32_t result = source_.Open(buf, len, flag);
        if (result != SPI_SUCCESS)
            return result;
        if (!Decodable(CodecOf(source_.data(), source_.size())))
            return SPI_UNKNOWN_FORMAT;
        if (!DerivedImagesReferToImages(source_.data(), source_.size()))
            return SPI_BROKEN_DATA;
        context_.reset(Heif().context_alloc());
        if (!context_)
            return SPI_NO_MEMORY;
        Heif().context_set_maximum_image_size_limit(context_.get(), kMaxSide);
        heif_image_handle* handle = nullptr;
        if (Heif().context_read_from_memory_without_copy(context_.get(), source_.data(),
                                                         source_.size(), nullptr)
                    .code != heif_error_Ok ||
            Heif().context_get_primary_image_handle(context_.get(), &handle).code != heif_error_Ok)
            return SPI_BROKEN_DATA;
        handle_.reset(handle);
        width_ = Heif().image_handle_get_width(handle);
        height_ = Heif().image_handle_get_height(handle);
        // The coded picture is decoded whole before any crop, so its size counts as well.
        if (!Allowed(width_, height_) || !Allowed(Heif().image_handle_get_ispe_width(handle),
                                                  Heif().image_handle_get_ispe_height(handle)))
            return SPI_NO_MEMORY;
        return SPI_SUCCESS;
    }

    int32_t Decode(SPI_HLOCAL* pInfo, SPI_HLOCAL* pBits, spi::Progress& progress) {
        if (progress.Report(0, height_))
            return SPI_ABORT;
        spi::Dib dib;
        int32_t result = dib.Allocate(uint32_t(width_), uint32_t(height_), 32);
        if (result != SPI_SUCCESS)
            return result;
        const std::unique_ptr<heif_decoding_options, OptionsFree> options(
            Heif().decoding_options_alloc());
        if (!options)
            return SPI_NO_MEMORY;
        options->convert_hdr_to_8bit = 1;
        heif_image* decoded = nullptr;
        const heif_error error = Heif().decode_image(handle_.get(), &decoded, heif_colorspace_RGB,
                                                     heif_chroma_interleaved_RGBA, options.get());
        const std::unique_ptr<heif_image, ImageFree> image(decoded);
        if (error.code == heif_error_Unsupported_feature ||
            error.code == heif_error_Unsupported_filetype)
            return SPI_UNKNOWN_FORMAT;
        if (error.code == heif_error_Memory_allocation_error)
            return SPI_NO_MEMORY;
        if (error.code != heif_error_Ok || !image)
            return SPI_BROKEN_DATA;
        int stride = 0;
        const uint8_t* pixels =
            Heif().image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
        // The decoded picture must be the size announced, or the rows below would be misread.
        if (pixels == nullptr || stride < 4 * width_ ||
            Heif().image_get_width(image.get(), heif_channel_interleaved) != width_ ||
            Heif().image_get_height(image.get(), heif_channel_interleaved) != height_)
            return SPI_BROKEN_DATA;
        for (int y = 0; y < height_; ++y) {
            const uint8_t* in = pixels + size_t(stride) * size_t(y);
            uint8_t* out = dib.Row(uint32_t(y));
            for (int x = 0; x < width_; ++x, in += 4, out += 4) {
                const unsigned alpha = in[3];
                out[0] = uint8_t((in[2] * alpha + 127) / 255);
                out[1] = uint8_t((in[1] * alpha + 127) / 255);
                out[2] = uint8_t((in[0] * alpha + 127) / 255);
                out[3] = 0;
            }
            if ((y & 63) == 63 && progress.Report(y + 1, height_))
                return SPI_ABORT;
        }
        if (progress.Report(height_, height_))
            return SPI_ABORT;
        dib.Release(pInfo, pBits);
        return SPI_SUCCESS;
    }

    int width() const { return width_; }
    int height() const { return height_; }

private:
    bool Allowed(int width, int height) const {
        return width > 0 && height > 0 &&
               spi::SizeAllowed(uint32_t(width), uint32_t(height), source_.size(),
                                kMaxPixelsPerByte);
    }

    spi::Source source_;
    std::unique_ptr<heif_context, ContextFree> context_;
    std::unique_ptr<heif_image_handle, HandleFree> handle_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace

SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
    return spi::CopyPluginInfo(kInfo, int32_t(std::size(kInfo)), infono, buf, buflen);
}

SPI_EXPORT int32_t IsSupported(const char*, const void* dw) {
    return dw != nullptr && Decodable(CodecOf(static_cast<const uint8_t*>(dw), SPI_HEADER_SIZE))
               ? 1
               : 0;
}

SPI_EXPORT int32_t GetPictureInfo(const char* buf, int32_t len, uint32_t flag,
                                  PictureInfo* lpInfo) {
    if (lpInfo == nullptr)
        return SPI_MEMORY_ERROR;
    Picture picture;
    const int32_t result = picture.Open(buf, len, flag);
    if (result != SPI_SUCCESS)
        return result;
    spi::FillPictureInfo(lpInfo, uint32_t(picture.width()), uint32_t(picture.height()), 24);
    return SPI_SUCCESS;
}

SPI_EXPORT int32_t GetPicture(const char* buf, int32_t len, uint32_t flag, SPI_HLOCAL* pHBInfo,
                              SPI_HLOCAL* pHBm, SPI_PROGRESS lpPrgressCallback, intptr_t lData) {
    if (!spi::ResetOutputs(pHBInfo, pHBm))
        return SPI_MEMORY_ERROR;
    Picture picture;
    const int32_t result = picture.Open(buf, len, flag);
    if (result != SPI_SUCCESS)
        return result;
    spi::Progress progress(lpPrgressCallback, lData);
    return picture.Decode(pHBInfo, pHBm, progress);
}
