#include "plugin_support.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace spi {

int32_t CopyPluginInfo(const char* const* info, int32_t count, int32_t infono, char* buf,
                       int32_t buflen) {
    if (infono < 0 || infono >= count || buf == nullptr || buflen <= 0)
        return 0;
    size_t length = std::strlen(info[infono]);
    if (length > size_t(buflen - 1))
        length = size_t(buflen - 1);
    std::memcpy(buf, info[infono], length);
    buf[length] = '\0';
    return int32_t(length);
}

namespace {
int32_t ReadFileFrom(const char* path, int32_t offset, std::vector<uint8_t>& out) {
    if (path == nullptr || offset < 0)
        return SPI_FILE_READ_ERROR;
    // Non-blocking, regular files only: a FIFO put in a picture's place must not hang the caller.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return SPI_FILE_READ_ERROR;
    struct stat st {};
    int32_t result = SPI_SUCCESS;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < offset) {
        result = SPI_FILE_READ_ERROR;
    } else if (uint64_t(st.st_size - offset) > kMaxInputBytes) {
        result = SPI_NO_MEMORY;
    } else {
        out.resize(size_t(st.st_size - offset));
        size_t done = 0;
        while (done < out.size()) {
            ssize_t n = ::pread(fd, out.data() + done, out.size() - done, offset + off_t(done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += size_t(n);
        }
        out.resize(done); // a file that shrank meanwhile is read as far as it goes
    }
    ::close(fd);
    return result;
}
} // namespace

int32_t Source::Open(const char* buf, int32_t len, uint32_t flag) {
    switch (flag & SPI_INPUT_MASK) {
    case SPI_INPUT_FILE: {
        int32_t result = ReadFileFrom(buf, len, owned_);
        if (result != SPI_SUCCESS)
            return result;
        data_ = owned_.data();
        size_ = owned_.size();
        return SPI_SUCCESS;
    }
    case SPI_INPUT_MEMORY:
        if (buf == nullptr || len < 0)
            return SPI_MEMORY_ERROR;
        data_ = reinterpret_cast<const uint8_t*>(buf);
        size_ = size_t(len);
        return SPI_SUCCESS;
    default:
        return SPI_NOT_IMPLEMENTED;
    }
}

uint64_t PixelBudget() {
    static const uint64_t budget = std::min<uint64_t>(SPI_PixelBudget(), COUCHFRAME_SPI_MAX_PIXELS);
    return budget;
}

bool SizeAllowed(uint64_t width, uint64_t height) {
    return width > 0 && height > 0 && width <= 0x7FFFFFFF && height <= 0x7FFFFFFF &&
           width * height <= PixelBudget();
}

bool SizeAllowed(uint64_t width, uint64_t height, uint64_t dataBytes, uint64_t maxPixelsPerByte) {
    return SizeAllowed(width, height) &&
           SPI_PixelsPlausible(width * height, dataBytes, maxPixelsPerByte);
}

Dib::~Dib() {
    std::free(info_);
    std::free(bits_);
}

int32_t Dib::Allocate(uint32_t width, uint32_t height, uint16_t bitCount, uint32_t colorCount) {
    if (!SizeAllowed(width, height) || colorCount > 256)
        return SPI_NO_MEMORY;
    uint64_t stride = (uint64_t(bitCount) * width + 31) / 32 * 4;
    uint64_t imageSize = stride * height;
    if (imageSize > 0xFFFFFFFFull) // biSizeImage must hold it
        return SPI_NO_MEMORY;
    size_t headerSize = sizeof(SPI_BITMAPINFOHEADER) + sizeof(SPI_RGBQUAD) * colorCount;
    info_ = static_cast<uint8_t*>(std::calloc(1, headerSize));
    bits_ = static_cast<uint8_t*>(std::malloc(size_t(imageSize)));
    if (info_ == nullptr || bits_ == nullptr)
        return SPI_NO_MEMORY;
    SPI_BITMAPINFOHEADER header{};
    header.biSize = sizeof(SPI_BITMAPINFOHEADER);
    header.biWidth = int32_t(width);
    header.biHeight = int32_t(height);
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = SPI_BI_RGB;
    header.biSizeImage = uint32_t(imageSize);
    header.biClrUsed = colorCount;
    std::memcpy(info_, &header, sizeof header);
    height_ = height;
    stride_ = size_t(stride);
    return SPI_SUCCESS;
}

SPI_RGBQUAD* Dib::ColorTable() {
    return reinterpret_cast<SPI_RGBQUAD*>(info_ + sizeof(SPI_BITMAPINFOHEADER));
}

void Dib::Release(SPI_HLOCAL* info, SPI_HLOCAL* bits) {
    *info = info_;
    *bits = bits_;
    info_ = nullptr;
    bits_ = nullptr;
}

bool Progress::Report(int64_t done, int64_t total) {
    if (callback_ == nullptr)
        return false;
    auto clamp = [](int64_t v) { return int32_t(v > 0x7FFFFFFF ? 0x7FFFFFFF : v); };
    return callback_(clamp(done), clamp(total), data_) != 0;
}

void FillPictureInfo(PictureInfo* info, uint32_t width, uint32_t height, int16_t depth) {
    std::memset(info, 0, sizeof *info);
    info->width = int32_t(width);
    info->height = int32_t(height);
    info->colorDepth = depth;
}

bool ResetOutputs(SPI_HLOCAL* info, SPI_HLOCAL* bits) {
    if (info == nullptr || bits == nullptr)
        return false;
    *info = nullptr;
    *bits = nullptr;
    return true;
}

} // namespace spi
