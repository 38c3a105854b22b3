/* libcrde2001.so: reading pictures into bitmap blocks, file and page
   information, depth raisers. Loaded at run time; every entry validates its
   arguments and never lets a C++ exception escape. */
#ifndef KALEIDOR_CRDE2001_H
#define KALEIDOR_CRDE2001_H

#include "ilbitmap.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Results: >= 1 success (*block set, free with crde_free_block); <= 0 failure, the value is the error code.
   A block comes at the picture's own depth, whatever bitsPerPixel and dither ask: 1, 4 or 8 bits with the
   picture's colour table (grey JPEG and TGA: 8 bits with a grey table), otherwise 24 bits, laid over white where
   the picture is transparent. The caller changes the depth with the depth raisers or ReduceDib.
   The content decides the decoder: a PNG named .bmp read by rdbmpfiledib is read as the PNG it is. */
int16_t rdbmpfiledib(const char* path, int bitsPerPixel, int dither, IlProgress progress, void* context, IlBlock* block);
int16_t rdjpgfiledib(const char* path, int bitsPerPixel, int dither, IlProgress progress, void* context, IlBlock* block);
int16_t rdpngfiledib(const char* path, int bitsPerPixel, int dither, IlProgress progress, void* context, IlBlock* block);
int16_t rdgiffiledib(const char* path, int bitsPerPixel, int dither, IlProgress progress, void* context, IlBlock* block);
int16_t rdpcxfiledib(const char* path, int bitsPerPixel, int dither, IlProgress progress, void* context, IlBlock* block);
int16_t readtgafiledib(const char* path, int bitsPerPixel, int dither, IlProgress progress, void* context, IlBlock* block);
int16_t readtiffiledib(const char* path, int page, int bitsPerPixel, int dither, IlProgress progress, void* context, IlBlock* block);
int16_t readpcdfiledib(const char* path, int pcdMode /* 0 BASE16, 1 BASE4, 2 BASE */, int bitsPerPixel, int dither, IlProgress progress, void* context, IlBlock* block);
int16_t readepsfiledib(const char* path, int bitsPerPixel, int dither, IlProgress progress, void* context, IlBlock* block); /* always an error code */

/* Memory readers: the file's bytes; maxSide = the largest width/height the caller will show (0 = full size).
   JPEG uses DCT scaling to the smallest scale whose result is not below maxSide on its larger side; other formats decode fully. */
int16_t rdbmpstreamdib(const uint8_t* data, size_t size, int bitsPerPixel, IlProgress progress, void* context, int maxSide, IlBlock* block);
int16_t rdjpgstreamdib(const uint8_t* data, size_t size, int bitsPerPixel, IlProgress progress, void* context, int maxSide, IlBlock* block);
int16_t rdpngstreamdib(const uint8_t* data, size_t size, int bitsPerPixel, IlProgress progress, void* context, int maxSide, IlBlock* block);
int16_t rdgifstreamdib(const uint8_t* data, size_t size, int bitsPerPixel, IlProgress progress, void* context, int maxSide, IlBlock* block);
int16_t rdpcxstreamdib(const uint8_t* data, size_t size, int bitsPerPixel, IlProgress progress, void* context, int maxSide, IlBlock* block);
int16_t readtgafilestreamdib(const uint8_t* data, size_t size, int bitsPerPixel, IlProgress progress, void* context, int maxSide, IlBlock* block);
int16_t readtiffiledibstream(const uint8_t* data, size_t size, int page, int bitsPerPixel, IlProgress progress, void* context, int maxSide, IlBlock* block);
int16_t readpcdfiledibstream(const uint8_t* data, size_t size, int pcdMode, int bitsPerPixel, IlProgress progress, void* context, int maxSide, IlBlock* block);

/* format: receives "BMP", "JPEG", "PNG", "GIF", "TIFF", "TGA", "PCX", "PCD" (NUL-terminated, buffer of at least 8 bytes). */
int16_t fileinfo(const char* path, char* format, int* width, int* height, int* bitsPerPixel);
/* lastPage: the last page number (first page is 0). Result >= 0 success. */
int16_t getinfo(const char* path, int page, int* lastPage);

/* The reading library's text for an error code (code as unsigned 16-bit); never NULL. */
const char* crde_error_text(int code);

/* Depth raisers: a new block (free with crde_free_block) or NULL on failure; the argument is not freed. */
IlBlock DIB1to4(IlBlock block);
IlBlock DIB1To8(IlBlock block);
IlBlock DIB1To24(IlBlock block);
IlBlock DIB4To8(IlBlock block);
IlBlock DIB4To24(IlBlock block);
IlBlock DIB16To24(IlBlock block);
IlBlock DIB32To24(IlBlock block);
/* Expands a run-length block (compression 1 or 2) into a plain block of the same depth with its colour table
   (the Linux meaning of "device bitmap and palette"); NULL on failure. */
IlBlock DibtoDdb(IlBlock rleBlock);
void crde_free_block(IlBlock block);

/* Annotation hooks: do nothing. */
void InitAnnotation(void* viewer);
void ClearAnnotation(void* viewer);
void DrawAnnotation(void* viewer);
void DestroyAnnotation(void* viewer);

#ifdef __cplusplus
}
#endif

#endif
