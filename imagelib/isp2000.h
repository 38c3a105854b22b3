/* libisp2000.so: scaling and colour reduction of bitmap blocks. Loaded at run
   time; every entry validates its block and never lets a C++ exception escape. */
#ifndef KALEIDOR_ISP2000_H
#define KALEIDOR_ISP2000_H

#include "ilbitmap.h"

#ifdef __cplusplus
extern "C" {
#endif

IlBlock ScaleDib(IlBlock block, int width, int height);           /* 24-bit result */
IlBlock ScaleToGray(IlBlock block, int width, int height, int mode); /* 8-bit grey result (256-entry grey table) */
IlBlock ReduceDib(IlBlock block, int bitsPerPixel, int dither);    /* to 1/4/8 bits with 2^bits colours */
void isp_free_block(IlBlock block);

#ifdef __cplusplus
}
#endif

#endif
