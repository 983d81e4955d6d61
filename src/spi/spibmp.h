#pragma once

// Pictures decoded through the picture plug-ins: the data as the plug-ins see it
// (TInSPIAbleData), one decoded device-independent bitmap (TSPIGraphic), and the bitmap the
// viewer loads (TSPIBitmap), which tries the built-in BMP decoder and the plug-ins.

#include "platform/error.h"
#include "spi/spis.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <QString>

#include <exception>
#include <functional>
#include <memory>

class EInvalidGraphic : public AppError {
public:
    using AppError::AppError;
};

enum TProgressStage { psStarting, psRunning, psEnding };

class TGraphic;
using TProgressEvent =
    std::function<void(TGraphic* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                       const QRect& r, const QString& msg)>;

// A picture that loads itself and reports its progress.
class TGraphic {
public:
    virtual ~TGraphic() = default;
    TProgressEvent OnProgress;

protected:
    void Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const QRect& r,
                  const QString& msg);
};

// The plain bitmap class: a bitmap held as a QImage, decoding BMP with Qt's own BMP reader.
class TPlainBitmap : public TGraphic {
    Q_DECLARE_TR_FUNCTIONS(TPlainBitmap)

public:
    // EInvalidGraphic when the data is not a BMP picture Qt can read.
    virtual void LoadFile(const QString& fileName);
    // Reads from the stream's current position.
    virtual void LoadStream(QIODevice& stream);
    void Assign(const TPlainBitmap& source) { image_ = source.image_; }
    void AssignImage(QImage image) { image_ = std::move(image); }
    // Replaces the colour table of an indexed bitmap.
    void SetPalette(const QList<QRgb>& palette);

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    bool Empty() const { return image_.isNull(); }
    const QImage& Image() const { return image_; }
    // Draws the whole bitmap scaled into rect; smooth filtering is slower but nicer.
    void Draw(QPainter& painter, const QRect& rect, bool smooth = false) const;

private:
    QImage image_;
};

class TSPIGraphic;

// The picture data as the plug-ins see it, and the bitmap memory a plug-in returned for it.
class TInSPIAbleData {
    Q_DECLARE_TR_FUNCTIONS(TInSPIAbleData)

public:
    TInSPIAbleData(TSPIGraphic* owner, const QString& fileName);
    virtual ~TInSPIAbleData();
    TInSPIAbleData(const TInSPIAbleData&) = delete;
    TInSPIAbleData& operator=(const TInSPIAbleData&) = delete;

    // Tries the candidate plug-ins until one decodes the data; IsEmpty tells whether one did.
    void Decode();
    void Release();
    void* LockInfo();
    void* LockBits();
    // Hands the pixel block over to the caller, who frees it with LocalFree; the data object
    // holds no pixels afterwards.
    SPI_HLOCAL TakeBits();
    bool IsEmpty() const { return InfoHandle == nullptr || BitsHandle == nullptr; }

    SPI_HLOCAL InfoHandle = nullptr;
    SPI_HLOCAL BitsHandle = nullptr;
    void* LockedInfo = nullptr;
    void* LockedBits = nullptr;
    const QString FileName;
    PictureInfo Info{};
    TSPIGraphic* const Owner;
    TProgressEvent OnProgress;

    // Size of the header buffer: 2048 bytes behind either header offset.
    static constexpr int kHeadSize = 2176;

protected:
    virtual void ReadHead(char* buffer, int count) = 0;
    // The (source, length, flag) triple handed to the plug-in for a header offset.
    struct Source {
        const char* buf;
        int32_t len;
        uint32_t flag;
    };
    virtual Source SourceAt(int offset) = 0;
    // FileName in the file system's encoding.
    const QByteArray& EncodedName() const { return encodedName_; }

private:
    void TryPlugin(const TSPI& plugin, const char* buffer, int offset);
    void QueryInfo(const TSPI& plugin, int offset);
    void LoadPicture(const TSPI& plugin, int offset, bool preview);
    // Keeps a returned bitmap only when its header is one we can read safely.
    bool DecodedBitmapIsUsable();
    void ReportProgress(TProgressStage stage, uint8_t percent, const QString& msg);
    static int32_t ProgressCallback(int32_t num, int32_t denom, intptr_t data);

    QByteArray encodedName_;
    std::exception_ptr handlerError_;
};

class TInSPIAbleFromFile : public TInSPIAbleData {
public:
    TInSPIAbleFromFile(TSPIGraphic* owner, const QString& fileName);

protected:
    void ReadHead(char* buffer, int count) override;
    Source SourceAt(int offset) override;
};

class TInSPIAbleFromStream : public TInSPIAbleData {
public:
    // A QBuffer is used in place (it must stay unchanged until the load returns); any other
    // stream is copied once, from its start.
    TInSPIAbleFromStream(TSPIGraphic* owner, const QString& fileName, QIODevice& stream);

    const char* Memory = nullptr;
    qint64 Size = 0;

protected:
    void ReadHead(char* buffer, int count) override;
    Source SourceAt(int offset) override;

private:
    QByteArray copy_;
};

// Multiplies into 64 bits and divides rounding to the nearest; -1 for a zero divisor or overflow.
int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator);

// One device-independent bitmap decoded by a plug-in.
class TSPIGraphic : public TGraphic {
public:
    ~TSPIGraphic() override;

    void LoadFile(const QString& fileName);
    void LoadStream(QIODevice& stream) { LoadNamedStream(stream, QString()); }
    virtual void LoadNamedStream(QIODevice& stream, const QString& fileName);
    // Writes the bitmap as a BMP file.
    void SaveAsBmp(QIODevice& stream);
    // Draws the whole bitmap into rect (nearest-neighbour, like COLORONCOLOR).
    void DrawStretched(QPainter& painter, const QRect& rect);
    // A plain bitmap read back from the BMP form; with releaseAfter the plug-in memory is freed
    // as soon as the BMP form exists.
    std::unique_ptr<TPlainBitmap> ToBitmap(bool releaseAfter);
    // The bitmap as a top-down QImage.
    QImage ToImage(bool releaseAfter);
    void ClearData();

    int Width();
    int Height();
    const QList<QRgb>& Palette();
    bool Empty() const { return !Data || Data->IsEmpty(); }
    bool NeedsPaletteCopy();
    int HeaderSize();
    qint64 ImageSize();
    int ColorCount();

    std::unique_ptr<TInSPIAbleData> Data;
    std::function<void()> OnChange;
    // Where the picture will be shown fitted, when known: plug-ins that can may then decode a
    // reduced picture that still covers the fitted size (GetPictureForArea). Empty: full size.
    QSize FitArea;
    // The plug-ins to decode with; none: nothing but the built-in decoder reads the file.
    const TSPIs* Host = nullptr;

private:
    void DecodeData();
    void UpdateInfo();
    // ToImage of a 32-bit picture whose memory is released after: the image takes the plug-in's
    // pixel block over; the graphic is cleared.
    QImage TakeOverPixels(qint64 rows);

    int width_ = 0;
    int height_ = 0;
    QList<QRgb> palette_;
    int headerSize_ = 0;
    qint64 imageSize_ = 0;
    int colorCount_ = 0;
    int bitCount_ = 0;
    bool needsPaletteCopy_ = false;
    bool infoReady_ = false;
};

using TSPILoadFromStreamWithNameEvent =
    std::function<void(QIODevice& stream, const QString& fileName)>;

// The bitmap the viewer loads: BMP files through the built-in decoder, everything else through
// the picture plug-ins. After a load it holds its own pixels.
class TSPIBitmap : public TPlainBitmap {
    Q_DECLARE_TR_FUNCTIONS(TSPIBitmap)

public:
    TSPIBitmap();
    ~TSPIBitmap() override = default;

    // EInvalidGraphic "Susie Plugins could not decode" when neither decoder reads the file; the
    // bitmap then keeps what it held.
    void LoadFile(const QString& fileName) override;
    void LoadStream(QIODevice& stream) override { LoadNamedStream(stream, QString()); }
    // Takes the decoded graphic (or none) and frees it in every case.
    virtual void AssignDecoded(std::unique_ptr<TGraphic> graphic);
    virtual void LoadNamedStream(QIODevice& stream, const QString& fileName);
    void AssignFrom(TGraphic& source);
    // Handed to the plug-in decoder (TSPIGraphic::FitArea, TSPIGraphic::Host).
    QSize FitArea;
    const TSPIs* Host = nullptr;

    // Bound to LoadNamedStream; cannot be changed.
    const TSPILoadFromStreamWithNameEvent& OnLoadFromStreamWithName() const { return loadNamed_; }

private:
    void RelayProgress(TGraphic* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                       const QRect& r, const QString& msg);
    template <class Load> void LoadWith(const QString& fileName, Load&& load);

    TSPILoadFromStreamWithNameEvent loadNamed_;
};
