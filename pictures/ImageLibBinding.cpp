#include "ImageLibBinding.h"

#include "imagelib/isp2000.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

#ifndef KALEIDOR_IMAGELIB_DIR
#define KALEIDOR_IMAGELIB_DIR "/usr/local/lib/kaleidor"
#endif
#ifndef KALEIDOR_IMAGELIB_RELATIVE_DIR
#define KALEIDOR_IMAGELIB_RELATIVE_DIR "../lib/kaleidor"
#endif

const QString ImageLibBinding::kFaultMessage = QStringLiteral(
    "An exception error occured in the imagelib dll. We recommend to exit the application and to restart it by "
    "clicking its icon!");
const QString ImageLibBinding::kUnknownError = QStringLiteral("Unknown error in ImageLib Dll");

namespace {
// Files this short hold no picture; they fail before the library sees them.
constexpr qint64 kShortestPicture = 30;

QString programFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

template <class F>
F* entry(const std::shared_ptr<void>& lib, const char* name)
{
    return reinterpret_cast<F*>(dlsym(lib.get(), name));
}

int trampoline(int percent, void* context)
{
    try {
        return (*static_cast<const ReadProgress*>(context))(percent) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

// The callback and context a reader is given.
IlProgress progressOf(const ReadRequest& r) { return r.progress ? &trampoline : nullptr; }
void* contextOf(const ReadRequest& r) { return r.progress ? const_cast<ReadProgress*>(&r.progress) : nullptr; }

bool tooShort(const QString& path) { return QFileInfo(path).size() < kShortestPicture; }

// Runs a call into a library; a C++ exception that crossed the boundary
// fails the call with the library fault message.
template <class Call>
auto guardedCall(Call call)
{
    try {
        return call();
    } catch (const Exception&) {
        throw;
    } catch (...) {
        throw EImageLibError(ImageLibBinding::kFaultMessage);
    }
}
}  // namespace

QString LibrarySearch::installedTreeDir() const
{
    if (programDir.isEmpty())
        return {};
    return QDir::cleanPath(programDir + QStringLiteral("/" KALEIDOR_IMAGELIB_RELATIVE_DIR));
}

LibrarySearch LibrarySearch::standard()
{
    return {programFolder(), QStringLiteral(KALEIDOR_IMAGELIB_DIR)};
}

RuntimeLibrary::RuntimeLibrary(QString fileName, LibrarySearch search)
    : fileName_(std::move(fileName)), search_(std::move(search))
{
}

RuntimeLibrary::~RuntimeLibrary() = default;

QString RuntimeLibrary::missingMessage() const
{
    return QStringLiteral("Can't load ") + fileName_ + QStringLiteral(". Make sure its located in the application's searchpath.");
}

std::shared_ptr<void> RuntimeLibrary::acquire()
{
    std::lock_guard lock(mutex_);
    if (handle_)
        return handle_;
    QStringList candidates;
    if (!search_.programDir.isEmpty()) {
        candidates << search_.programDir + QLatin1Char('/') + fileName_;
        candidates << search_.installedTreeDir() + QLatin1Char('/') + fileName_;
    }
    candidates << fileName_;
    if (!search_.installDir.isEmpty()) {
        const QString installed = search_.installDir + QLatin1Char('/') + fileName_;
        candidates << installed;
        if (installed.endsWith(QLatin1String(".so")))
            candidates << installed.chopped(3);
    }
    for (const QString& candidate : candidates) {
        // A bare name goes to the loader's own search; anything else must exist.
        if (candidate.contains(QLatin1Char('/')) && !QFileInfo(candidate).isFile())
            continue;
        if (void* handle = dlopen(QFile::encodeName(candidate).constData(), RTLD_NOW | RTLD_LOCAL)) {
            handle_ = std::shared_ptr<void>(handle, [](void* h) { dlclose(h); });
            loadedFrom_ = candidate;
            return handle_;
        }
    }
    throw EImageLibUnavailable(missingMessage());
}

void RuntimeLibrary::unload()
{
    std::lock_guard lock(mutex_);
    handle_.reset();
    loadedFrom_.clear();
}

QString RuntimeLibrary::loadedFrom() const
{
    std::lock_guard lock(mutex_);
    return loadedFrom_;
}

ImageLibBinding::ImageLibBinding(LibrarySearch search)
    : crde_(QStringLiteral("libcrde2001.so"), search), isp_(QStringLiteral("libisp2000.so"), search)
{
}

void ImageLibBinding::loadReadingLibrary() { crde_.acquire(); }

QString ImageLibBinding::errorText(const std::shared_ptr<void>& lib, int code)
{
    if (code == -1)
        return kUnknownError;
    auto* text = entry<decltype(crde_error_text)>(lib, "crde_error_text");
    const char* found = text ? text(int(uint16_t(code))) : nullptr;
    return found ? QString::fromUtf8(found) : kUnknownError;
}

DibBlock ImageLibBinding::ownedByReader(void* block, const std::shared_ptr<void>& lib)
{
    if (!block)
        return {};
    auto* free = entry<decltype(crde_free_block)>(lib, "crde_free_block");
    return DibBlock(block, free ? free : &std::free, lib);
}

void ImageLibBinding::finishRead(ReadResult& result, void* block, const std::shared_ptr<void>& lib, ImageReader reader)
{
    result.block = ownedByReader(result.succeeded() ? block : nullptr, lib);
    if (!result.succeeded()) {
        result.errorText = errorText(lib, result.code);
        // A failed JPEG read leaves the reading library unloaded until its next call.
        if (reader == ImageReader::Jpeg)
            crde_.unload();
    }
}

FileInfo ImageLibBinding::fileInfo(const QString& path)
{
    auto lib = crde_.acquire();
    FileInfo info;
    info.code = -1;
    auto* call = entry<decltype(fileinfo)>(lib, "fileinfo");
    if (call && !tooShort(path)) {
        char format[16] = {};
        info.code = guardedCall([&] {
            return call(QFile::encodeName(path).constData(), format, &info.width, &info.height, &info.bitsPerPixel);
        });
        format[sizeof format - 1] = 0;
        info.format = QString::fromLatin1(format);
    }
    if (!info.succeeded())
        info.errorText = errorText(lib, info.code);
    return info;
}

PageInfo ImageLibBinding::pageInfo(const QString& path, int page)
{
    auto lib = crde_.acquire();
    PageInfo info;
    info.code = -1;
    if (auto* call = entry<decltype(getinfo)>(lib, "getinfo"))
        info.code = guardedCall([&] { return call(QFile::encodeName(path).constData(), page, &info.lastPage); });
    if (!info.found())
        info.errorText = errorText(lib, info.code);
    return info;
}

ReadResult ImageLibBinding::readFile(ImageReader reader, const QString& path, const ReadRequest& r)
{
    auto lib = crde_.acquire();
    ReadResult result;
    result.code = -1;
    const QByteArray name = QFile::encodeName(path);
    const char* p = name.constData();
    IlBlock block = nullptr;
    auto plain = [&](const char* entryName) {
        if (auto* call = entry<decltype(rdbmpfiledib)>(lib, entryName))
            result.code = guardedCall([&] { return call(p, r.bitsPerPixel, r.dither, progressOf(r), contextOf(r), &block); });
    };
    if (!tooShort(path)) {
        switch (reader) {
        case ImageReader::Bmp: plain("rdbmpfiledib"); break;
        case ImageReader::Jpeg: plain("rdjpgfiledib"); break;
        case ImageReader::Png: plain("rdpngfiledib"); break;
        case ImageReader::Gif: plain("rdgiffiledib"); break;
        case ImageReader::Pcx: plain("rdpcxfiledib"); break;
        case ImageReader::Tga: plain("readtgafiledib"); break;
        case ImageReader::Eps: plain("readepsfiledib"); break;
        case ImageReader::Tiff:
        case ImageReader::Pcd:
            if (auto* call = entry<decltype(readtiffiledib)>(lib, reader == ImageReader::Tiff ? "readtiffiledib" : "readpcdfiledib"))
                result.code = guardedCall(
                    [&] { return call(p, r.pageOrMode, r.bitsPerPixel, r.dither, progressOf(r), contextOf(r), &block); });
            break;
        }
    }
    finishRead(result, block, lib, reader);
    return result;
}

ReadResult ImageLibBinding::readMemory(ImageReader reader, QByteArrayView data, const ReadRequest& r)
{
    auto lib = crde_.acquire();
    ReadResult result;
    result.code = -1;
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    const size_t size = size_t(data.size());
    IlBlock block = nullptr;
    auto plain = [&](const char* entryName) {
        if (auto* call = entry<decltype(rdbmpstreamdib)>(lib, entryName))
            result.code = guardedCall(
                [&] { return call(bytes, size, r.bitsPerPixel, progressOf(r), contextOf(r), r.maxSide, &block); });
    };
    switch (reader) {
    case ImageReader::Bmp: plain("rdbmpstreamdib"); break;
    case ImageReader::Jpeg: plain("rdjpgstreamdib"); break;
    case ImageReader::Png: plain("rdpngstreamdib"); break;
    case ImageReader::Gif: plain("rdgifstreamdib"); break;
    case ImageReader::Pcx: plain("rdpcxstreamdib"); break;
    case ImageReader::Tga: plain("readtgafilestreamdib"); break;
    case ImageReader::Eps: break;
    case ImageReader::Tiff:
    case ImageReader::Pcd:
        if (auto* call = entry<decltype(readtiffiledibstream)>(
                lib, reader == ImageReader::Tiff ? "readtiffiledibstream" : "readpcdfiledibstream"))
            result.code = guardedCall([&] {
                return call(bytes, size, r.pageOrMode, r.bitsPerPixel, progressOf(r), contextOf(r), r.maxSide, &block);
            });
        break;
    }
    finishRead(result, block, lib, reader);
    return result;
}

DibBlock ImageLibBinding::raiseDepth(const DibBlock& block, int toBits)
{
    const DibView view(block);
    if (!view.valid())
        return {};
    const char* name = nullptr;
    switch (view.bitCount() * 100 + toBits) {
    case 104: name = "DIB1to4"; break;
    case 108: name = "DIB1To8"; break;
    case 124: name = "DIB1To24"; break;
    case 408: name = "DIB4To8"; break;
    case 424: name = "DIB4To24"; break;
    case 1624: name = "DIB16To24"; break;
    case 3224: name = "DIB32To24"; break;
    default: return {};
    }
    auto lib = crde_.acquire();
    auto* call = entry<decltype(DIB1To8)>(lib, name);
    return call ? ownedByReader(guardedCall([&] { return call(block.data()); }), lib) : DibBlock();
}

DibBlock ImageLibBinding::expandRunLength(const DibBlock& block)
{
    auto lib = crde_.acquire();
    auto* call = entry<decltype(DibtoDdb)>(lib, "DibtoDdb");
    return call ? ownedByReader(guardedCall([&] { return call(block.data()); }), lib) : DibBlock();
}

void ImageLibBinding::annotation(AnnotationCall which, void* viewer)
{
    static const char* const names[] = {"InitAnnotation", "ClearAnnotation", "DrawAnnotation", "DestroyAnnotation"};
    const char* name = names[int(which)];
    auto lib = crde_.acquire();
    auto* call = entry<decltype(InitAnnotation)>(lib, name);
    if (!call)
        throw EImageLibError(QStringLiteral("Error. Could not get a procaddress for ") + QLatin1String(name) +
                             QStringLiteral(". This could be") +
                             QStringLiteral("related to a dll name or version missmatch of ") +
                             QStringLiteral("CRDE2001.DLL"));
    guardedCall([&] { call(viewer); });
}

template <class Call>
DibBlock ImageLibBinding::scaling(const char* name, Call call)
{
    auto lib = isp_.acquire();
    auto* free = entry<decltype(isp_free_block)>(lib, "isp_free_block");
    void* fn = dlsym(lib.get(), name);
    if (!fn || !free)
        return {};
    void* result = guardedCall([&] { return call(fn); });
    return result ? DibBlock(result, free, lib) : DibBlock();
}

DibBlock ImageLibBinding::scale(const DibBlock& block, int width, int height)
{
    return scaling("ScaleDib", [&](void* fn) {
        return reinterpret_cast<decltype(&ScaleDib)>(fn)(block.data(), width, height);
    });
}

DibBlock ImageLibBinding::scaleToGray(const DibBlock& block, int width, int height, int mode)
{
    return scaling("ScaleToGray", [&](void* fn) {
        return reinterpret_cast<decltype(&ScaleToGray)>(fn)(block.data(), width, height, mode);
    });
}

DibBlock ImageLibBinding::reduce(const DibBlock& block, int bitsPerPixel, bool dither)
{
    return scaling("ReduceDib", [&](void* fn) {
        return reinterpret_cast<decltype(&ReduceDib)>(fn)(block.data(), bitsPerPixel, dither ? 1 : 0);
    });
}
