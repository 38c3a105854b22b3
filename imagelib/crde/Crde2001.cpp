// The C entries of libcrde2001.so. Every entry catches everything at the
// boundary: a C caller must never see a C++ exception.
#include "imagelib/crde2001.h"

#include "imagelib/block/Block.h"
#include "imagelib/crde/ErrorCodes.h"
#include "imagelib/crde/FileBytes.h"
#include "imagelib/crde/Readers.h"

#include <cstring>
#include <new>
#include <optional>

namespace crde {
namespace {

template <typename F>
std::int16_t guarded(F&& body) noexcept
{
    try {
        return body();
    } catch (const imagedecode::DecodeError& e) {
        return codeFor(e.kind());
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kInternal;
    }
}

template <typename F>
IlBlock guardedBlock(F&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return nullptr;
    }
}

imagedecode::Options optionsFor(IlProgress progress, void* context)
{
    imagedecode::Options options{ilblock::kLimits, true, {}};
    if (progress)
        options.progress = [progress, context](int percent) { return progress(percent, context) != 0; };
    return options;
}

std::int16_t readBytes(Format format, imagedecode::Bytes bytes, const ReadRequest& request, IlProgress progress,
                       void* context, IlBlock* block)
{
    // Content in another known format is read by its own decoder, whatever
    // the entry: a PNG saved as .bmp is still a picture.
    const Format actual = looksLike(format, bytes) ? format : detectFormat(bytes, false).value_or(format);
    const imagedecode::Picture picture = decodeFormat(actual, bytes, request, optionsFor(progress, context));
    *block = ilblock::blockFromPicture(picture);
    return 1;
}

std::int16_t readFile(Format format, const char* path, const ReadRequest& request, IlProgress progress,
                      void* context, IlBlock* block) noexcept
{
    if (!block)
        return kBadArgument;
    *block = nullptr;
    return guarded([&]() -> std::int16_t {
        FileBytes file;
        const std::int16_t code = readWholeFile(path, file);
        if (code < 1)
            return code;
        return readBytes(format, file.bytes(), request, progress, context, block);
    });
}

std::int16_t readStream(Format format, const std::uint8_t* data, std::size_t size, const ReadRequest& request,
                        IlProgress progress, void* context, IlBlock* block) noexcept
{
    if (!block)
        return kBadArgument;
    *block = nullptr;
    if (!data || size == 0)
        return size == 0 ? kTruncated : kBadArgument;
    return guarded([&] { return readBytes(format, imagedecode::Bytes(data, size), request, progress, context, block); });
}

ReadRequest page(int number)
{
    ReadRequest r;
    r.page = number;
    return r;
}

ReadRequest pcd(int mode)
{
    ReadRequest r;
    r.pcdMode = mode;
    return r;
}

ReadRequest scaled(int maxSide, int number = 0, int mode = 0)
{
    ReadRequest r;
    r.maxSide = maxSide;
    r.page = number;
    r.pcdMode = mode;
    return r;
}

// Answers a question about a file from its content: from its head when the
// answer lies there, from the whole file otherwise (a TIFF directory may sit
// at the end). A file with no known signature fails on its head alone.
template <typename Answer>
std::int16_t withFile(const char* path, bool wholeTiff, Answer&& answer)
{
    FileBytes file;
    std::int16_t code = readFileBytes(path, kHeadBytes, file);
    if (code < 1)
        return code;
    const std::optional<Format> found = detectFormat(file.bytes(), true);
    if (!found)
        return kWrongFormat;
    if (!file.whole() && !(wholeTiff && *found == Format::Tiff)) {
        try {
            return answer(*found, file.bytes());
        } catch (const imagedecode::DecodeError& e) {
            if (e.kind() != imagedecode::Failure::Truncated && e.kind() != imagedecode::Failure::Corrupt)
                throw;
        }
    }
    if (!file.whole()) {
        code = readWholeFile(path, file);
        if (code < 1)
            return code;
    }
    return answer(*found, file.bytes());
}

}  // namespace
}  // namespace crde

using namespace crde;

extern "C" {

int16_t rdbmpfiledib(const char* path, int, int, IlProgress progress, void* context, IlBlock* block)
{
    return readFile(Format::Bmp, path, {}, progress, context, block);
}

int16_t rdjpgfiledib(const char* path, int, int, IlProgress progress, void* context, IlBlock* block)
{
    return readFile(Format::Jpeg, path, {}, progress, context, block);
}

int16_t rdpngfiledib(const char* path, int, int, IlProgress progress, void* context, IlBlock* block)
{
    return readFile(Format::Png, path, {}, progress, context, block);
}

int16_t rdgiffiledib(const char* path, int, int, IlProgress progress, void* context, IlBlock* block)
{
    return readFile(Format::Gif, path, {}, progress, context, block);
}

int16_t rdpcxfiledib(const char* path, int, int, IlProgress progress, void* context, IlBlock* block)
{
    return readFile(Format::Pcx, path, {}, progress, context, block);
}

int16_t readtgafiledib(const char* path, int, int, IlProgress progress, void* context, IlBlock* block)
{
    return readFile(Format::Tga, path, {}, progress, context, block);
}

int16_t readtiffiledib(const char* path, int pageNumber, int, int, IlProgress progress, void* context, IlBlock* block)
{
    return readFile(Format::Tiff, path, page(pageNumber), progress, context, block);
}

int16_t readpcdfiledib(const char* path, int pcdMode, int, int, IlProgress progress, void* context, IlBlock* block)
{
    return readFile(Format::Pcd, path, pcd(pcdMode), progress, context, block);
}

int16_t readepsfiledib(const char*, int, int, IlProgress, void*, IlBlock* block)
{
    if (block)
        *block = nullptr;
    return kEpsNotSupported;
}

int16_t rdbmpstreamdib(const uint8_t* data, size_t size, int, IlProgress progress, void* context, int maxSide,
                       IlBlock* block)
{
    return readStream(Format::Bmp, data, size, scaled(maxSide), progress, context, block);
}

int16_t rdjpgstreamdib(const uint8_t* data, size_t size, int, IlProgress progress, void* context, int maxSide,
                       IlBlock* block)
{
    return readStream(Format::Jpeg, data, size, scaled(maxSide), progress, context, block);
}

int16_t rdpngstreamdib(const uint8_t* data, size_t size, int, IlProgress progress, void* context, int maxSide,
                       IlBlock* block)
{
    return readStream(Format::Png, data, size, scaled(maxSide), progress, context, block);
}

int16_t rdgifstreamdib(const uint8_t* data, size_t size, int, IlProgress progress, void* context, int maxSide,
                       IlBlock* block)
{
    return readStream(Format::Gif, data, size, scaled(maxSide), progress, context, block);
}

int16_t rdpcxstreamdib(const uint8_t* data, size_t size, int, IlProgress progress, void* context, int maxSide,
                       IlBlock* block)
{
    return readStream(Format::Pcx, data, size, scaled(maxSide), progress, context, block);
}

int16_t readtgafilestreamdib(const uint8_t* data, size_t size, int, IlProgress progress, void* context, int maxSide,
                             IlBlock* block)
{
    return readStream(Format::Tga, data, size, scaled(maxSide), progress, context, block);
}

int16_t readtiffiledibstream(const uint8_t* data, size_t size, int pageNumber, int, IlProgress progress,
                             void* context, int maxSide, IlBlock* block)
{
    return readStream(Format::Tiff, data, size, scaled(maxSide, pageNumber), progress, context, block);
}

int16_t readpcdfiledibstream(const uint8_t* data, size_t size, int pcdMode, int, IlProgress progress, void* context,
                             int maxSide, IlBlock* block)
{
    return readStream(Format::Pcd, data, size, scaled(maxSide, 0, pcdMode), progress, context, block);
}

int16_t fileinfo(const char* path, char* format, int* width, int* height, int* bitsPerPixel)
{
    if (!format || !width || !height || !bitsPerPixel)
        return kBadArgument;
    format[0] = '\0';
    return guarded([&] {
        return withFile(path, false, [&](Format found, imagedecode::Bytes bytes) -> std::int16_t {
            const imagedecode::PictureInfo info = formatInfo(found, bytes);
            std::strcpy(format, formatName(found));
            *width = info.width;
            *height = info.height;
            *bitsPerPixel = info.bitCount;
            return 1;
        });
    });
}

int16_t getinfo(const char* path, int pageNumber, int* lastPage)
{
    if (!lastPage || pageNumber < 0)
        return kBadArgument;
    return guarded([&] {
        // Every directory of a TIFF is counted, wherever it lies.
        return withFile(path, true, [&](Format found, imagedecode::Bytes bytes) -> std::int16_t {
            *lastPage = pageCount(found, bytes) - 1;
            return 1;
        });
    });
}

const char* crde_error_text(int code)
{
    return errorText(code);
}

void crde_free_block(IlBlock block)
{
    ilblock::freeBlock(block);
}

void InitAnnotation(void*) {}
void ClearAnnotation(void*) {}
void DrawAnnotation(void*) {}
void DestroyAnnotation(void*) {}

}  // extern "C"
