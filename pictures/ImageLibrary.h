#pragma once
// The two run-time picture libraries as the viewer and the thumbnail grid see
// them: the reading library (readers, file and page information, depth
// raisers, run-length expansion, annotation hooks) and the scaling library.
// One real implementation binds the shared libraries at run time
// (ImageLibBinding); tests hand in fakes.
#include "pictures/DibBlock.h"

#include <QByteArrayView>
#include <QString>

#include <functional>

// The readers, one per picture format.
enum class ImageReader { Bmp, Jpeg, Png, Gif, Pcx, Tga, Tiff, Pcd, Eps };

// A library call's result: 1 or more is success, the rest an error code with
// the reading library's text for it.
struct LibResult {
    int code = 0;
    QString errorText;
    bool succeeded() const { return code >= 1; }
};

struct FileInfo : LibResult {
    QString format;  // "BMP", "JPEG", "PNG", "GIF", "TIFF", "TGA", "PCX", "PCD", any case
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

// getinfo succeeds with 0 or more.
struct PageInfo : LibResult {
    int lastPage = 0;
    bool found() const { return code >= 0; }
};

struct ReadResult : LibResult {
    DibBlock block;
};

// Called during a read with a percentage; false cancels the read.
using ReadProgress = std::function<bool(int percent)>;

// What a reader is given besides the picture: the wanted depth, the dither
// flag, the TIFF page or the PCD resolution, and for memory reads the largest
// side the caller will show (0: full size).
struct ReadRequest {
    int bitsPerPixel = 24;
    bool dither = false;
    int pageOrMode = 0;
    int maxSide = 0;
    ReadProgress progress;
};

enum class AnnotationCall { Init, Clear, Draw, Destroy };

class ImageLibrary {
public:
    virtual ~ImageLibrary() = default;

    // Loads the reading library now when it is not loaded; raises
    // EImageLibUnavailable when it cannot be found.
    virtual void loadReadingLibrary() = 0;

    // Reading library. Every call loads the library first (raising
    // EImageLibUnavailable when it cannot) and may be made from any thread.
    virtual FileInfo fileInfo(const QString& path) = 0;
    virtual PageInfo pageInfo(const QString& path, int page) = 0;
    virtual ReadResult readFile(ImageReader reader, const QString& path, const ReadRequest& request) = 0;
    virtual ReadResult readMemory(ImageReader reader, QByteArrayView data, const ReadRequest& request) = 0;
    // From the block's depth (1, 4, 16 or 32) to toBits; empty on failure or
    // for a pair the library has no entry for.
    virtual DibBlock raiseDepth(const DibBlock& block, int toBits) = 0;
    // A run-length block expanded into a plain one of the same depth.
    virtual DibBlock expandRunLength(const DibBlock& block) = 0;
    virtual void annotation(AnnotationCall call, void* viewer) = 0;

    // Scaling library; empty on failure, EImageLibUnavailable when the
    // library cannot be found.
    virtual DibBlock scale(const DibBlock& block, int width, int height) = 0;
    virtual DibBlock scaleToGray(const DibBlock& block, int width, int height, int mode) = 0;
    virtual DibBlock reduce(const DibBlock& block, int bitsPerPixel, bool dither) = 0;
};
