/* The picture size Couchframe can afford on this machine, for plug-ins and the host alike.
 *
 * Every decoded pixel ends up as four bytes in the picture Couchframe shows, so a picture may have
 * at most a quarter of the physical memory's worth of such pixels, and never more than 2^28
 * (16384 x 16384). A plug-in checks the size a file claims against SPI_PixelBudget() before it
 * allocates anything for the pixels, and answers SPI_NO_MEMORY when it is larger.
 *
 * A picture larger than SPI_PIXELS_ALWAYS_PLAUSIBLE must also come with data that could hold it:
 * a file of a few bytes that claims to be 16384 x 16384 is refused at once instead of costing a
 * gigabyte and seconds of decoding. The plug-in knows how many pixels its format can pack into a
 * byte at best (SPI_PixelsPlausible).
 */
#ifndef COUCHFRAME_SPI_BUDGET_H
#define COUCHFRAME_SPI_BUDGET_H

#include <stdint.h>
#include <unistd.h>

enum { SPI_BYTES_PER_SHOWN_PIXEL = 4 };
#define SPI_MAX_PIXEL_BUDGET (UINT64_C(1) << 28)

static inline uint64_t SPI_PixelBudget(void) {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return SPI_MAX_PIXEL_BUDGET;
    const uint64_t pixels = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) / 4 /
                            SPI_BYTES_PER_SHOWN_PIXEL;
    return pixels < SPI_MAX_PIXEL_BUDGET ? pixels : SPI_MAX_PIXEL_BUDGET;
}

/* Pictures up to this many pixels (64 MiB shown) are decoded whatever the size of their data. */
#define SPI_PIXELS_ALWAYS_PLAUSIBLE (UINT64_C(1) << 24)

static inline int SPI_PixelsPlausible(uint64_t pixels, uint64_t dataBytes,
                                      uint64_t maxPixelsPerByte) {
    return pixels <= SPI_PIXELS_ALWAYS_PLAUSIBLE || pixels / maxPixelsPerByte <= dataBytes;
}

#endif /* COUCHFRAME_SPI_BUDGET_H */
