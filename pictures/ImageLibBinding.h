#pragma once
// The real picture libraries, libcrde2001.so and libisp2000.so, loaded with
// dlopen at the first call of one of their entries. Each call looks its entry
// up by name. A failed JPEG read unloads the reading library until its next
// call; blocks still alive keep it in memory until they are freed.
#include "pictures/ImageLibrary.h"

#include <QString>

#include <memory>
#include <mutex>

// Where a library is looked for, in this order: the program's folder (a
// build folder), the library folder of the installed tree the program sits in
// (found from the program, so a tree installed under any prefix, or moved,
// finds its libraries), the bare name (the loader's own search), the install
// folder chosen when the program was built, and that path without ".so".
struct LibrarySearch {
    QString programDir;
    QString installDir;
    // The installed tree's library folder for programDir: "../lib/kaleidor"
    // from "bin" under the usual layout. Empty when programDir is.
    QString installedTreeDir() const;
    static LibrarySearch standard();
};

// One shared library, loaded on demand; safe to use from several threads.
class RuntimeLibrary {
public:
    RuntimeLibrary(QString fileName, LibrarySearch search);
    ~RuntimeLibrary();

    // The loaded library, loading it when needed; raises EImageLibUnavailable.
    std::shared_ptr<void> acquire();
    void unload();
    // The path it was loaded from, empty when not loaded.
    QString loadedFrom() const;
    const QString& fileName() const { return fileName_; }
    QString missingMessage() const;

private:
    QString fileName_;
    LibrarySearch search_;
    mutable std::mutex mutex_;
    std::shared_ptr<void> handle_;
    QString loadedFrom_;
};

class ImageLibBinding : public ImageLibrary {
public:
    explicit ImageLibBinding(LibrarySearch search = LibrarySearch::standard());

    void loadReadingLibrary() override;
    FileInfo fileInfo(const QString& path) override;
    PageInfo pageInfo(const QString& path, int page) override;
    ReadResult readFile(ImageReader reader, const QString& path, const ReadRequest& request) override;
    ReadResult readMemory(ImageReader reader, QByteArrayView data, const ReadRequest& request) override;
    DibBlock raiseDepth(const DibBlock& block, int toBits) override;
    DibBlock expandRunLength(const DibBlock& block) override;
    void annotation(AnnotationCall call, void* viewer) override;
    DibBlock scale(const DibBlock& block, int width, int height) override;
    DibBlock scaleToGray(const DibBlock& block, int width, int height, int mode) override;
    DibBlock reduce(const DibBlock& block, int bitsPerPixel, bool dither) override;

    RuntimeLibrary& readingLibrary() { return crde_; }
    RuntimeLibrary& scalingLibrary() { return isp_; }

    static const QString kFaultMessage;
    static const QString kUnknownError;

private:
    QString errorText(const std::shared_ptr<void>& lib, int code);
    DibBlock ownedByReader(void* block, const std::shared_ptr<void>& lib);
    void finishRead(ReadResult& result, void* block, const std::shared_ptr<void>& lib, ImageReader reader);
    template <class Call>
    DibBlock scaling(const char* entry, Call call);

    RuntimeLibrary crde_;
    RuntimeLibrary isp_;
};
