// Test programs share this main: one QApplication for all tests, created
// only when tests run (listing them needs no display).
#include "windowing/ClassicLook.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

int main(int argc, char** argv)
{
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strncmp(argv[i], "--gtest_list_tests", 18) == 0;
    ::testing::InitGoogleTest(&argc, argv);
    // Thumbnails the tests make never reach the user's own cache.
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    std::unique_ptr<QApplication> app;
    if (!listing) {
        app = std::make_unique<QApplication>(argc, argv);
        QApplication::setApplicationName(QStringLiteral("kaleidor"));
        applyClassicLook(*app);
    }
    return RUN_ALL_TESTS();
}
