/* Couchframe picture plug-in SDK.
 *
 * A plug-in is a shared object named "<name>.spi" that exports the functions below with C linkage.
 * Couchframe finds plug-ins at start-up, asks GetPluginInfo what each one is ("00IN" for a picture
 * plug-in, "00AM" for an archive plug-in) and calls the picture functions to decode files.
 *
 * Rules of the interface:
 *  - Integers are 32-bit. Memory handles, PictureInfo.hInfo and the progress callback's data are
 *    pointer-sized.
 *  - Strings are zero-terminated byte strings in the locale's code set (normally UTF-8).
 *  - A memory handle (SPI_HLOCAL) is a block from the C library's malloc(). Once a plug-in has
 *    returned a handle, the host owns it and releases it with free(); locking a handle gives the
 *    handle itself. A plug-in must therefore allocate every returned block with malloc() of the
 *    process's C library (do not link a private allocator into the returned blocks).
 *  - Flag (low three bits) 0: "buf" is a file name and "len" is the byte offset of the picture data
 *    in that file. Flag 1: "buf" is the address of the picture data and "len" the number of bytes
 *    available there.
 *  - The header given to IsSupported is always an address in memory with at least 2048 bytes
 *    readable behind it (zero-filled past the end of the data).
 *  - GetPicture and GetPreview return a device-independent bitmap: the info handle holds a
 *    BITMAPINFOHEADER followed by the colour table, the bits handle the pixel rows (each row padded
 *    to 4 bytes; bottom-up when biHeight is positive).
 *  - The progress callback may be null; a plug-in must accept that. When it is not null, the
 * plug-in calls it now and then with (done, total, lData); a non-zero answer asks the plug-in to
 * stop, free what it allocated and return SPI_ABORT.
 *  - Plug-ins are called from one thread at a time (not always the same thread: pictures may be
 *    decoded ahead on a worker thread) and must treat every input as hostile.
 *
 * Building a plug-in outside the Couchframe tree needs only this header:
 *     cc -shared -fPIC -fvisibility=hidden -I<dir of this header> -o mine.spi mine.c
 * The file must be a regular file (not a symbolic link); it and its folder must be owned by root
 * or by the user running Couchframe and must not be writable by group or others, or Couchframe
 * refuses to load it. couchframe_spi_budget.h tells how large a picture may be decoded.
 */
#ifndef COUCHFRAME_SPI_H
#define COUCHFRAME_SPI_H

#include <stdint.h>

#ifdef __cplusplus
#define SPI_EXTERN_C extern "C"
#else
#define SPI_EXTERN_C
#endif

#if defined(__GNUC__) || defined(__clang__)
#define SPI_EXPORT SPI_EXTERN_C __attribute__((visibility("default")))
#else
#define SPI_EXPORT SPI_EXTERN_C
#endif

/* A movable memory block: malloc()ed by the plug-in, freed by the host. */
typedef void* SPI_HLOCAL;

/* Results of the plug-in functions. */
enum {
    SPI_NOT_IMPLEMENTED = -1,
    SPI_SUCCESS = 0,
    SPI_ABORT = 1,          /* the progress callback asked to stop */
    SPI_UNKNOWN_FORMAT = 2, /* not data this plug-in decodes */
    SPI_BROKEN_DATA = 3,    /* the data is damaged */
    SPI_NO_MEMORY = 4,      /* an allocation failed or the picture is too large */
    SPI_MEMORY_ERROR = 5,
    SPI_FILE_READ_ERROR = 6,
    SPI_INTERNAL_ERROR = 8
};

/* Input kinds of the flag argument. */
enum { SPI_INPUT_FILE = 0, SPI_INPUT_MEMORY = 1, SPI_INPUT_MASK = 7 };

/* Size of the header buffer that IsSupported may read. */
enum { SPI_HEADER_SIZE = 2048 };

#pragma pack(push, 1)
typedef struct PictureInfo {
    int32_t left;       /* offset 0 */
    int32_t top;        /* offset 4 */
    int32_t width;      /* offset 8 */
    int32_t height;     /* offset 12 */
    uint16_t x_density; /* offset 16 */
    uint16_t y_density; /* offset 18 */
    int16_t colorDepth; /* offset 20 */
    SPI_HLOCAL hInfo;   /* offset 22: text information (malloc()ed) or null; the host frees it */
} PictureInfo;

typedef struct SPI_BITMAPINFOHEADER {
    uint32_t biSize; /* 40 */
    int32_t biWidth;
    int32_t biHeight; /* positive: bottom-up rows */
    uint16_t biPlanes;
    uint16_t biBitCount;    /* 1, 4, 8, 16, 24 or 32 */
    uint32_t biCompression; /* SPI_BI_RGB */
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
} SPI_BITMAPINFOHEADER;

typedef struct SPI_RGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
} SPI_RGBQUAD;

/* One entry of an archive listing (archive plug-ins). */
typedef struct SPI_FileInfo {
    unsigned char method[8];
    uint32_t position;
    uint32_t compsize;
    uint32_t filesize;
    int32_t timestamp;
    char path[200];
    char filename[200];
    uint32_t crc;
} SPI_FileInfo;
#pragma pack(pop)

enum { SPI_BI_RGB = 0 };

#ifdef __cplusplus
static_assert(sizeof(PictureInfo) == 22 + sizeof(void*), "PictureInfo is packed, hInfo at 22");
static_assert(sizeof(SPI_BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes");
#else
_Static_assert(sizeof(PictureInfo) == 22 + sizeof(void*), "PictureInfo is packed, hInfo at 22");
_Static_assert(sizeof(SPI_BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER is 40 bytes");
#endif

/* Progress: return 0 to go on, anything else to ask the plug-in to stop. */
typedef int32_t (*SPI_PROGRESS)(int32_t nNum, int32_t nDenom, intptr_t lData);

/* Item 0: API version ("00IN" picture, "00AM" archive); 1: the plug-in's name; 2, 4, ...: file
 * masks ("*.jpg;*.jpeg"); 3, 5, ...: their descriptions. Returns the number of characters written
 * (at most buflen - 1, zero-terminated), 0 when the item does not exist. */
SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen);

/* Non-zero when the plug-in decodes this data; "dw" is the address of the header buffer. */
SPI_EXPORT int32_t IsSupported(const char* filename, const void* dw);

/* Picture plug-ins ("00IN"). */
SPI_EXPORT int32_t GetPictureInfo(const char* buf, int32_t len, uint32_t flag, PictureInfo* lpInfo);
SPI_EXPORT int32_t GetPicture(const char* buf, int32_t len, uint32_t flag, SPI_HLOCAL* pHBInfo,
                              SPI_HLOCAL* pHBm, SPI_PROGRESS lpPrgressCallback, intptr_t lData);
/* Optional: a smaller picture that is quick to make. */
SPI_EXPORT int32_t GetPreview(const char* buf, int32_t len, uint32_t flag, SPI_HLOCAL* pHBInfo,
                              SPI_HLOCAL* pHBm, SPI_PROGRESS lpPrgressCallback, intptr_t lData);

/* Optional: the picture as it will be shown, fitted into an area of areaWidth x areaHeight pixels
 * with its aspect ratio kept. A plug-in that can decode a reduced picture for less work (a JPEG at
 * a reduced DCT scale) may return one smaller than the full picture, but never smaller than the
 * fitted picture in either direction, so that it is only ever shrunk when drawn; returning the full
 * picture is always right. The sizes are of the picture as shown (after any turn the plug-in
 * applies); everything else is as for GetPicture. Couchframe calls it in place of GetPicture when
 * it knows where the picture goes, and calls GetPicture on plug-ins that do not export it. */
SPI_EXPORT int32_t GetPictureForArea(const char* buf, int32_t len, uint32_t flag, int32_t areaWidth,
                                     int32_t areaHeight, SPI_HLOCAL* pHBInfo, SPI_HLOCAL* pHBm,
                                     SPI_PROGRESS lpPrgressCallback, intptr_t lData);

/* Archive plug-ins ("00AM"). Couchframe looks them up but does not call them. */
SPI_EXPORT int32_t GetArchiveInfo(const char* buf, int32_t len, uint32_t flag, SPI_HLOCAL* lphInf);
SPI_EXPORT int32_t GetFileInfo(const char* buf, int32_t len, const char* filename, uint32_t flag,
                               SPI_FileInfo* lpInfo);
SPI_EXPORT int32_t GetFile(const char* src, int32_t len, char* dest, uint32_t flag,
                           SPI_PROGRESS prgressCallback, intptr_t lData);

/* Optional settings dialog; never called by Couchframe. */
SPI_EXPORT int32_t ConfigurationDlg(void* parent, int32_t fnc);

#endif /* COUCHFRAME_SPI_H */
