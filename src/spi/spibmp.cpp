#include "spi/spibmp.h"

#include "spi/local_memory.h"
#include "spi/sdk/couchframe_spi_budget.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <typeinfo>
#include <utility>

namespace {

QString CouldNotDecode() {
    return QCoreApplication::translate("Plugins", "Susie Plugins could not decode");
}

// Offsets at which a picture may start: 0, and behind a 128-byte MacBinary header.
constexpr int kHeaderOffsets[] = {0, 128};

SPI_BITMAPINFOHEADER HeaderOf(const void* info) {
    SPI_BITMAPINFOHEADER header;
    std::memcpy(&header, info, sizeof header);
    return header;
}

int ColorCountOf(const SPI_BITMAPINFOHEADER& header) {
    if (header.biClrUsed != 0)
        return static_cast<int>(header.biClrUsed);
    switch (header.biBitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

qint64 RowBytes(const SPI_BITMAPINFOHEADER& header) {
    return (static_cast<qint64>(header.biBitCount) * header.biWidth + 31) / 32 * 4;
}

qint64 AbsHeight(const SPI_BITMAPINFOHEADER& header) {
    return header.biHeight < 0 ? -static_cast<qint64>(header.biHeight)
                               : static_cast<qint64>(header.biHeight);
}

void PutLittleEndian(char* at, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// BMP data is at best one bit a pixel; run-length coding can skip 255 x 255 pixels in four bytes.
constexpr uint64_t kBmpMaxPixelsPerByte = 1 << 14;

quint32 LittleEndianAt(const QByteArray& bytes, int at, int size) {
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<quint8>(bytes[at + i]);
    return value;
}

// What a BMP's headers say about its pixel rows, read before anything is decoded.
struct BmpLayout {
    qint64 width = 0;
    qint64 height = 0; // rows, whichever way they run
    bool topDown = false;
    bool uncompressed = false;
    qint64 dataOffset = 0;
    qint64 stride = 0;
};

std::optional<BmpLayout> PeekBmpLayout(QIODevice& device) {
    const QByteArray head = device.peek(34);
    if (head.size() < 26 || !head.startsWith("BM"))
        return std::nullopt;
    BmpLayout layout;
    layout.dataOffset = LittleEndianAt(head, 10, 4);
    const quint32 headerSize = LittleEndianAt(head, 14, 4);
    qint64 bitCount;
    if (headerSize == 12) { // the old core header: 16-bit sizes, never compressed
        layout.width = LittleEndianAt(head, 18, 2);
        layout.height = LittleEndianAt(head, 20, 2);
        bitCount = LittleEndianAt(head, 24, 2);
        layout.uncompressed = true;
    } else if (headerSize >= 40 && head.size() >= 34) {
        layout.width = static_cast<qint32>(LittleEndianAt(head, 18, 4));
        const qint32 height = static_cast<qint32>(LittleEndianAt(head, 22, 4));
        layout.topDown = height < 0;
        layout.height = height < 0 ? -static_cast<qint64>(height) : height;
        bitCount = LittleEndianAt(head, 28, 2);
        const quint32 compression = LittleEndianAt(head, 30, 4);
        layout.uncompressed = compression == 0 || compression == 3 || compression == 6;
    } else {
        return std::nullopt;
    }
    layout.stride = (bitCount * layout.width + 31) / 32 * 4;
    return layout;
}

// Qt refuses to allocate pictures above 128 MiB; ours may be as large as the machine affords.
void AllowPicturesWithinTheBudget() {
    static const bool raised = [] {
        const quint64 bytes = SPI_PixelBudget() * SPI_BYTES_PER_SHOWN_PIXEL;
        QImageReader::setAllocationLimit(static_cast<int>((bytes >> 20) + 1));
        return true;
    }();
    (void)raised;
}

// Rows that a truncated file never held are black, not whatever the memory held before.
void BlackenMissingRows(QImage& image, const BmpLayout& layout, qint64 available) {
    if (layout.stride <= 0 || image.height() != layout.height)
        return;
    const qint64 present =
        std::clamp<qint64>((available - layout.dataOffset) / layout.stride, 0, layout.height);
    if (present == layout.height)
        return;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(QImage::Format_RGB32);
    const qint64 missing = layout.height - present;
    // Stored rows run from the bottom up unless the height is negative: a short file lacks the top.
    const qint64 first = layout.topDown ? present : 0;
    for (qint64 y = first; y < first + missing; ++y)
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y))), image.width(),
                    qRgb(0, 0, 0));
}

// Qt's BMP reader within the pixel budget, from the device's current position.
QImage ReadBmp(QIODevice& device) {
    const qint64 available = device.isSequential() ? -1 : device.size() - device.pos();
    const std::optional<BmpLayout> layout = PeekBmpLayout(device);
    if (layout) {
        const quint64 pixels = static_cast<quint64>(std::max<qint64>(layout->width, 0)) *
                               static_cast<quint64>(layout->height);
        if (pixels > SPI_PixelBudget() ||
            (available >= 0 &&
             !SPI_PixelsPlausible(pixels, static_cast<quint64>(available), kBmpMaxPixelsPerByte)))
            throw EInvalidGraphic(
                QCoreApplication::translate("Plugins", "The picture is too large"));
    }
    AllowPicturesWithinTheBudget();
    QImageReader reader(&device, "bmp");
    QImage image;
    if (!reader.read(&image))
        throw EInvalidGraphic(reader.errorString());
    if (layout && layout->uncompressed && available >= 0)
        BlackenMissingRows(image, *layout, available);
    return image;
}

// The graphic class under which picture plug-ins register their extensions, for the process's
// lifetime.
struct ModuleRegistration {
    ModuleRegistration() {
        RegisteredPictureFormats(); // constructed first, so it outlives this object
        TSPIs::SetDefaultGraphicClass(&typeid(TSPIBitmap));
    }
    ~ModuleRegistration() { UnregisterPictureFormats(&typeid(TSPIBitmap)); }
} moduleRegistration;

} // namespace

int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator) {
    if (denominator == 0)
        return -1;
    const qint64 product = static_cast<qint64>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const quint64 magnitude = static_cast<quint64>(product < 0 ? -product : product);
    const quint64 divisor = static_cast<quint64>(
        denominator < 0 ? -static_cast<qint64>(denominator) : static_cast<qint64>(denominator));
    const quint64 quotient = (magnitude + divisor / 2) / divisor;
    if (quotient > 0x7FFFFFFFull)
        return -1;
    return negative ? -static_cast<int32_t>(quotient) : static_cast<int32_t>(quotient);
}

// ---- TGraphic, TPlainBitmap ----

void TGraphic::Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const QRect& r,
                        const QString& msg) {
    if (OnProgress)
        OnProgress(this, stage, percentDone, redrawNow, r, msg);
}

void TPlainBitmap::LoadFile(const QString& fileName) {
    // Non-blocking, regular files only: a FIFO with a picture's name must not hang the viewer.
    const int fd =
        ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    QFile file;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        throw EInvalidGraphic(tr("Cannot open %1").arg(fileName));
    }
    image_ = ReadBmp(file);
}

void TPlainBitmap::LoadStream(QIODevice& stream) {
    image_ = ReadBmp(stream);
}

void TPlainBitmap::SetPalette(const QList<QRgb>& palette) {
    if (image_.format() == QImage::Format_Indexed8 || image_.format() == QImage::Format_Mono ||
        image_.format() == QImage::Format_MonoLSB)
        image_.setColorTable(palette);
}

void TPlainBitmap::Draw(QPainter& painter, const QRect& rect, bool smooth) const {
    if (image_.isNull())
        return;
    const bool wasSmooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.drawImage(rect, image_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, wasSmooth);
}

// ---- TInSPIAbleData ----

TInSPIAbleData::TInSPIAbleData(TSPIGraphic* owner, const QString& fileName)
    : FileName(fileName), Owner(owner), encodedName_(QFile::encodeName(fileName)) {}

TInSPIAbleData::~TInSPIAbleData() {
    Release();
}

SPI_HLOCAL TInSPIAbleData::TakeBits() {
    if (LockedBits != nullptr) {
        LocalUnlock(BitsHandle);
        LockedBits = nullptr;
    }
    return std::exchange(BitsHandle, nullptr);
}

void TInSPIAbleData::Release() {
    if (LockedInfo != nullptr) {
        LocalUnlock(InfoHandle);
        LockedInfo = nullptr;
    }
    if (LockedBits != nullptr) {
        LocalUnlock(BitsHandle);
        LockedBits = nullptr;
    }
    if (InfoHandle != nullptr) {
        LocalFree(InfoHandle);
        InfoHandle = nullptr;
    }
    if (BitsHandle != nullptr) {
        LocalFree(BitsHandle);
        BitsHandle = nullptr;
    }
    if (Info.hInfo != nullptr) {
        LocalFree(Info.hInfo);
        Info.hInfo = nullptr;
    }
}

void* TInSPIAbleData::LockInfo() {
    if (LockedInfo == nullptr && InfoHandle != nullptr)
        LockedInfo = LocalLock(InfoHandle);
    return LockedInfo;
}

void* TInSPIAbleData::LockBits() {
    if (LockedBits == nullptr && BitsHandle != nullptr)
        LockedBits = LocalLock(BitsHandle);
    return LockedBits;
}

void TInSPIAbleData::ReportProgress(TProgressStage stage, uint8_t percent, const QString& msg) {
    if (OnProgress)
        OnProgress(Owner, stage, percent, stage == psEnding, QRect(0, 0, 0, 0), msg);
}

void TInSPIAbleData::Decode() {
    ReportProgress(psStarting, 0, tr("Loading Graphic by Susie Plugin"));
    const QString ending = tr("Loaded Graphic by Susie Plugin");
    try {
        Release();
        const std::lock_guard calls(PluginCallLock());
        ReportProgress(psRunning, 1, tr("Seeking enabled Susie Plugins"));
        std::vector<TSPI*> candidates;
        const TSPIs* host = Owner != nullptr ? Owner->Host : nullptr;
        if (host != nullptr)
            host->ListCandidates({IsInstanceOf<TInSPI>}, FileName, candidates);
        char buffer[kHeadSize] = {};
        ReadHead(buffer, kHeadSize);
        const int offsets = host != nullptr && host->MacBinary ? 2 : 1;
        for (TSPI* candidate : candidates) {
            const QString& path = candidate->FileName();
            const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
            for (int i = 0; i < offsets; ++i) {
                ReportProgress(psRunning, 1, tr("Loading by [%1]").arg(name));
                TryPlugin(*candidate, buffer, kHeaderOffsets[i]);
                if (!IsEmpty()) {
                    ReportProgress(psEnding, 100, ending);
                    return;
                }
                Release();
            }
        }
    } catch (...) {
        try {
            ReportProgress(psEnding, 100, ending);
        } catch (...) {
            // The first failure is the one the caller hears about.
        }
        throw;
    }
    ReportProgress(psEnding, 100, ending);
}

void TInSPIAbleData::TryPlugin(const TSPI& plugin, const char* buffer, int offset) {
    if (plugin.IsSupported(encodedName_.constData(), buffer + offset) == 0)
        return;
    QueryInfo(plugin, offset);
    const TSPIs* host = Owner != nullptr ? Owner->Host : nullptr;
    if (host != nullptr && host->GraphicPreview) {
        LoadPicture(plugin, offset, true);
        if (IsEmpty())
            LoadPicture(plugin, offset, false);
    } else {
        LoadPicture(plugin, offset, false);
    }
}

void TInSPIAbleData::QueryInfo(const TSPI& plugin, int offset) {
    if (Info.hInfo != nullptr)
        LocalFree(Info.hInfo);
    Info = PictureInfo{};
    const Source source = SourceAt(offset);
    plugin.GetPictureInfo(source.buf, source.len, source.flag, &Info);
}

void TInSPIAbleData::LoadPicture(const TSPI& plugin, int offset, bool preview) {
    const Source source = SourceAt(offset);
    SPI_HLOCAL info = nullptr, bits = nullptr;
    const QSize area = Owner != nullptr ? Owner->FitArea : QSize();
    int32_t result;
    try {
        if (preview)
            result = plugin.GetPreview(source.buf, source.len, source.flag, &info, &bits,
                                       ProgressCallback, reinterpret_cast<intptr_t>(this));
        else if (!area.isEmpty())
            result = plugin.GetPictureForArea(source.buf, source.len, source.flag, area.width(),
                                              area.height(), &info, &bits, ProgressCallback,
                                              reinterpret_cast<intptr_t>(this));
        else
            result = plugin.GetPicture(source.buf, source.len, source.flag, &info, &bits,
                                       ProgressCallback, reinterpret_cast<intptr_t>(this));
    } catch (const ESPIInvalidAPI&) {
        if (preview)
            return; // no preview: the full picture is loaded instead
        throw;
    }
    if (result == 0 && !handlerError_) {
        InfoHandle = info;
        BitsHandle = bits;
    } else {
        // Whatever a failed call handed back is ours to free.
        LocalFree(info);
        LocalFree(bits);
    }
    if (handlerError_) {
        const std::exception_ptr error = std::exchange(handlerError_, nullptr);
        std::rethrow_exception(error);
    }
    if (!IsEmpty() && !DecodedBitmapIsUsable())
        Release();
}

bool TInSPIAbleData::DecodedBitmapIsUsable() {
    const size_t infoBytes = malloc_usable_size(InfoHandle);
    if (infoBytes < sizeof(SPI_BITMAPINFOHEADER))
        return false;
    const SPI_BITMAPINFOHEADER header = HeaderOf(LockInfo());
    const int bitCounts[] = {1, 4, 8, 16, 24, 32};
    if (header.biSize < sizeof header || header.biWidth <= 0 || header.biHeight == 0 ||
        header.biHeight == INT32_MIN || header.biCompression != SPI_BI_RGB ||
        header.biClrUsed > 256 ||
        std::find(std::begin(bitCounts), std::end(bitCounts), header.biBitCount) ==
            std::end(bitCounts))
        return false;
    const qint64 headerSize = 40 + 4 * static_cast<qint64>(ColorCountOf(header));
    const qint64 imageSize = RowBytes(header) * AbsHeight(header);
    return headerSize <= static_cast<qint64>(infoBytes) && imageSize <= 0x7FFFFFFF &&
           imageSize <= static_cast<qint64>(malloc_usable_size(BitsHandle));
}

int32_t TInSPIAbleData::ProgressCallback(int32_t num, int32_t denom, intptr_t data) {
    auto* self = reinterpret_cast<TInSPIAbleData*>(data);
    if (self == nullptr || !self->OnProgress)
        return 0;
    if (self->handlerError_)
        return 1;
    try {
        self->ReportProgress(psRunning, static_cast<uint8_t>(MulDiv(num, 97, denom) + 2),
                             QString());
        return 0;
    } catch (const EAbort&) {
        return 1;
    } catch (...) {
        // It cannot cross the plug-in's frames: keep it, stop the plug-in, raise it once it
        // returns.
        self->handlerError_ = std::current_exception();
        return 1;
    }
}

// ---- sources ----

TInSPIAbleFromFile::TInSPIAbleFromFile(TSPIGraphic* owner, const QString& fileName)
    : TInSPIAbleData(owner, fileName) {}

void TInSPIAbleFromFile::ReadHead(char* buffer, int count) {
    // Non-blocking, regular files only: a FIFO with a picture's name must not hang the viewer.
    const int fd = ::open(EncodedName().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        int done = 0;
        while (done < count) {
            const ssize_t n = ::read(fd, buffer + done, static_cast<size_t>(count - done));
            if (n <= 0)
                break;
            done += static_cast<int>(n);
        }
    }
    ::close(fd);
}

TInSPIAbleData::Source TInSPIAbleFromFile::SourceAt(int offset) {
    return {EncodedName().constData(), offset, SPI_INPUT_FILE};
}

TInSPIAbleFromStream::TInSPIAbleFromStream(TSPIGraphic* owner, const QString& fileName,
                                           QIODevice& stream)
    : TInSPIAbleData(owner, fileName) {
    if (auto* buffer = qobject_cast<QBuffer*>(&stream)) {
        Memory = buffer->data().constData();
        Size = buffer->data().size();
        return;
    }
    const qint64 position = stream.pos();
    if (!stream.isSequential())
        stream.seek(0);
    copy_ = stream.readAll();
    if (!stream.isSequential())
        stream.seek(position);
    Memory = copy_.constData();
    Size = copy_.size();
}

void TInSPIAbleFromStream::ReadHead(char* buffer, int count) {
    std::memcpy(buffer, Memory, static_cast<size_t>(std::min<qint64>(Size, count)));
}

TInSPIAbleData::Source TInSPIAbleFromStream::SourceAt(int offset) {
    // Data shorter than the offset is passed as empty, never as a negative length.
    const qint64 at = std::min<qint64>(offset, Size);
    return {Memory + at, static_cast<int32_t>(std::min<qint64>(Size - at, 0x7FFFFFFF)),
            SPI_INPUT_MEMORY};
}

// ---- TSPIGraphic ----

TSPIGraphic::~TSPIGraphic() {
    ClearData();
}

void TSPIGraphic::LoadFile(const QString& fileName) {
    ClearData();
    Data = std::make_unique<TInSPIAbleFromFile>(this, fileName);
    DecodeData();
}

void TSPIGraphic::LoadNamedStream(QIODevice& stream, const QString& fileName) {
    ClearData();
    Data = std::make_unique<TInSPIAbleFromStream>(this, fileName, stream);
    DecodeData();
}

void TSPIGraphic::DecodeData() {
    try {
        Data->OnProgress = OnProgress;
        Data->Decode();
        if (Data->IsEmpty())
            throw EInvalidGraphic(CouldNotDecode());
    } catch (...) {
        ClearData();
        throw;
    }
    if (OnChange)
        OnChange();
}

void TSPIGraphic::ClearData() {
    Data.reset();
    palette_.clear();
    infoReady_ = false;
}

void TSPIGraphic::UpdateInfo() {
    if (infoReady_)
        return;
    palette_.clear();
    if (Empty()) {
        width_ = height_ = headerSize_ = colorCount_ = bitCount_ = 0;
        imageSize_ = 0;
        needsPaletteCopy_ = false;
        infoReady_ = true;
        return;
    }
    const auto* info = static_cast<const uint8_t*>(Data->LockInfo());
    const SPI_BITMAPINFOHEADER header = HeaderOf(info);
    colorCount_ = static_cast<int>(header.biClrUsed);
    imageSize_ = RowBytes(header) * AbsHeight(header);
    width_ = header.biWidth;
    height_ = header.biHeight;
    colorCount_ = ColorCountOf(header);
    headerSize_ = 40 + 4 * colorCount_;
    bitCount_ = header.biBitCount;
    needsPaletteCopy_ = header.biBitCount == 4;
    for (int i = 0; i < colorCount_; ++i) {
        const uint8_t* quad = info + 40 + 4 * i; // blue, green, red, reserved
        palette_.append(qRgb(quad[2], quad[1], quad[0]));
    }
    infoReady_ = true;
}

int TSPIGraphic::Width() {
    UpdateInfo();
    return width_;
}
int TSPIGraphic::Height() {
    UpdateInfo();
    return height_;
}
const QList<QRgb>& TSPIGraphic::Palette() {
    UpdateInfo();
    return palette_;
}
bool TSPIGraphic::NeedsPaletteCopy() {
    UpdateInfo();
    return needsPaletteCopy_;
}
int TSPIGraphic::HeaderSize() {
    UpdateInfo();
    return headerSize_;
}
qint64 TSPIGraphic::ImageSize() {
    UpdateInfo();
    return imageSize_;
}
int TSPIGraphic::ColorCount() {
    UpdateInfo();
    return colorCount_;
}

void TSPIGraphic::SaveAsBmp(QIODevice& stream) {
    UpdateInfo();
    char fileHeader[14] = {'B', 'M'};
    PutLittleEndian(fileHeader + 2, static_cast<quint32>(headerSize_ + imageSize_ + 14), 4);
    PutLittleEndian(fileHeader + 10, static_cast<quint32>(headerSize_ + 14), 4);
    stream.write(fileHeader, sizeof fileHeader);
    if (Empty())
        return;
    stream.write(static_cast<const char*>(Data->LockInfo()), headerSize_);
    stream.write(static_cast<const char*>(Data->LockBits()), imageSize_);
}

std::unique_ptr<TPlainBitmap> TSPIGraphic::ToBitmap(bool releaseAfter) {
    auto bitmap = std::make_unique<TPlainBitmap>();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadWrite);
    SaveAsBmp(buffer);
    if (releaseAfter)
        ClearData();
    buffer.seek(0);
    bitmap->LoadStream(buffer);
    return bitmap;
}

QImage TSPIGraphic::ToImage(bool releaseAfter) {
    UpdateInfo();
    const QList<QRgb> palette = needsPaletteCopy_ ? palette_ : QList<QRgb>();
    if (Empty() || (bitCount_ != 24 && bitCount_ != 32)) {
        const std::unique_ptr<TPlainBitmap> bitmap = ToBitmap(releaseAfter);
        if (!palette.isEmpty())
            bitmap->SetPalette(palette);
        return bitmap->Image();
    }
    // True-colour pictures go straight into the image: the same pixels the BMP form would give,
    // without writing and parsing a second copy.
    const qint64 rows = height_ < 0 ? -static_cast<qint64>(height_) : static_cast<qint64>(height_);
    const qint64 stride = imageSize_ / rows;
    if (bitCount_ == 32 && releaseAfter && stride == 4 * static_cast<qint64>(width_))
        return TakeOverPixels(rows);
    QImage image(width_, static_cast<int>(rows), QImage::Format_RGB32);
    if (image.isNull())
        throw EInvalidGraphic(CouldNotDecode());
    const auto* bits = static_cast<const uint8_t*>(Data->LockBits());
    for (qint64 y = 0; y < rows; ++y) {
        const uint8_t* src = bits + stride * (height_ > 0 ? rows - 1 - y : y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
        if (bitCount_ == 32) {
            for (int x = 0; x < width_; ++x) {
                quint32 pixel;
                std::memcpy(&pixel, src + 4 * x, 4);
                dst[x] = 0xFF000000u | pixel;
            }
        } else {
            for (int x = 0; x < width_; ++x, src += 3)
                dst[x] = qRgb(src[2], src[1], src[0]);
        }
    }
    if (releaseAfter)
        ClearData();
    return image;
}

QImage TSPIGraphic::TakeOverPixels(qint64 rows) {
    // A 32-bit picture already has the image's layout but for the row order and the unused
    // fourth byte: the plug-in's block becomes the image's memory, turned right way up in place,
    // which spares allocating and filling a second picture of the same size.
    const qint64 width = width_;
    const bool bottomUp = height_ > 0;
    auto* block = static_cast<QRgb*>(Data->TakeBits());
    ClearData();
    QImage image(reinterpret_cast<uchar*>(block), static_cast<int>(width), static_cast<int>(rows),
                 4 * static_cast<qsizetype>(width), QImage::Format_RGB32, LocalFree, block);
    if (image.isNull()) {
        LocalFree(block);
        throw EInvalidGraphic(CouldNotDecode());
    }
    constexpr QRgb kOpaque = 0xFF000000u;
    if (bottomUp) {
        for (qint64 top = 0, bottom = rows - 1; top <= bottom; ++top, --bottom) {
            QRgb* upper = block + top * width;
            QRgb* lower = block + bottom * width;
            for (qint64 x = 0; x < width; ++x) {
                const QRgb fromBelow = lower[x] | kOpaque;
                lower[x] = upper[x] | kOpaque;
                upper[x] = fromBelow;
            }
        }
    } else {
        for (qint64 i = 0; i < rows * width; ++i)
            block[i] |= kOpaque;
    }
    return image;
}

void TSPIGraphic::DrawStretched(QPainter& painter, const QRect& rect) {
    if (!Data)
        return;
    const QImage image = ToImage(false);
    const bool wasSmooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect, image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, wasSmooth);
}

// ---- TSPIBitmap ----

TSPIBitmap::TSPIBitmap()
    : loadNamed_([this](QIODevice& stream, const QString& fileName) {
          LoadNamedStream(stream, fileName);
      }) {}

void TSPIBitmap::RelayProgress(TGraphic*, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                               const QRect& r, const QString& msg) {
    if (stage != psEnding)
        Progress(stage, percentDone, redrawNow, r, msg);
}

template <class Load> void TSPIBitmap::LoadWith(const QString& fileName, Load&& load) {
    const bool isBmp = ExtractFileExt(fileName).toUpper() == QLatin1String(".BMP");
    std::unique_ptr<TGraphic> result;
    for (int attempt = 0; attempt < 2 && !result; ++attempt) {
        std::unique_ptr<TGraphic> decoder;
        if ((attempt == 0) == isBmp) {
            decoder = std::make_unique<TPlainBitmap>();
        } else {
            auto graphic = std::make_unique<TSPIGraphic>();
            graphic->FitArea = FitArea;
            graphic->Host = Host;
            decoder = std::move(graphic);
        }
        decoder->OnProgress = [this](TGraphic* sender, TProgressStage stage, uint8_t percent,
                                     bool redraw, const QRect& r, const QString& msg) {
            RelayProgress(sender, stage, percent, redraw, r, msg);
        };
        if (load(*decoder))
            result = std::move(decoder);
    }
    try {
        AssignDecoded(std::move(result));
    } catch (...) {
        Progress(psEnding, 100, true, QRect(0, 0, Width(), Height()),
                 QCoreApplication::translate("TSPIBitmap", "Loaded Graphic"));
        throw;
    }
    Progress(psEnding, 100, true, QRect(0, 0, Width(), Height()),
             QCoreApplication::translate("TSPIBitmap", "Loaded Graphic"));
}

void TSPIBitmap::LoadFile(const QString& fileName) {
    LoadWith(fileName, [&fileName](TGraphic& decoder) {
        try {
            if (auto* graphic = dynamic_cast<TSPIGraphic*>(&decoder))
                graphic->LoadFile(fileName);
            else
                static_cast<TPlainBitmap&>(decoder).LoadFile(fileName);
            return true;
        } catch (...) {
            return false; // the next decoder is tried; this error is dropped
        }
    });
}

void TSPIBitmap::LoadNamedStream(QIODevice& stream, const QString& fileName) {
    const qint64 start = stream.pos();
    LoadWith(fileName, [&](TGraphic& decoder) {
        try {
            if (auto* graphic = dynamic_cast<TSPIGraphic*>(&decoder))
                graphic->LoadNamedStream(stream, fileName);
            else
                static_cast<TPlainBitmap&>(decoder).LoadStream(stream);
            return true;
        } catch (...) {
            stream.seek(start);
            return false;
        }
    });
}

void TSPIBitmap::AssignDecoded(std::unique_ptr<TGraphic> graphic) {
    if (!graphic)
        throw EInvalidGraphic(CouldNotDecode());
    if (auto* decoded = dynamic_cast<TSPIGraphic*>(graphic.get()))
        AssignImage(decoded->ToImage(true));
    else
        Assign(static_cast<TPlainBitmap&>(*graphic));
}

void TSPIBitmap::AssignFrom(TGraphic& source) {
    if (auto* graphic = dynamic_cast<TSPIGraphic*>(&source)) {
        const std::unique_ptr<TPlainBitmap> tmp = graphic->ToBitmap(false);
        Assign(*tmp);
        if (graphic->NeedsPaletteCopy())
            SetPalette(graphic->Palette());
    } else if (auto* bitmap = dynamic_cast<TPlainBitmap*>(&source)) {
        Assign(*bitmap);
    }
}
