/* The bitmap block both run-time image libraries hand across their C
   interface, and the progress callback of the reading entries. */
#ifndef KALEIDOR_ILBITMAP_H
#define KALEIDOR_ILBITMAP_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A bitmap block: one malloc'd block = IlBitmapHeader (40 bytes, classic
   device-independent bitmap header layout, little-endian fields), then the
   colour table (IlRgbQuad x colours, present for 1/4/8 bits per pixel:
   colours = clrUsed or 2^bitCount when clrUsed is 0), then the pixel rows,
   bottom-up (height > 0), each row padded to a multiple of 4 bytes.
   compression: 0 plain, 1 RLE8, 2 RLE4, 3 bit fields (16/32 bpp; then three
   uint32 masks follow the header before any colour table). */
typedef struct IlBitmapHeader {
    uint32_t size;          /* 40 */
    int32_t  width;
    int32_t  height;        /* > 0: bottom-up rows */
    uint16_t planes;        /* 1 */
    uint16_t bitCount;      /* 1, 4, 8, 16, 24, 32 */
    uint32_t compression;
    uint32_t sizeImage;     /* bytes of pixel data */
    int32_t  xPelsPerMeter;
    int32_t  yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
} IlBitmapHeader;
typedef struct IlRgbQuad { uint8_t blue, green, red, reserved; } IlRgbQuad;
typedef void* IlBlock;

/* Progress: percentage and the caller's context; a non-zero answer goes on, zero cancels. May be NULL. */
typedef int (*IlProgress)(int percent, void* context);

#ifdef __cplusplus
}
#endif

#endif
