#pragma once
// The media windows and the launcher over a fake media engine, with a folder
// of small picture files, for the launcher tests.
#include "FakeMediaEngine.h"
#include "MediaWindowSet.h"
#include "TestSupport.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

struct LauncherWindows : ::testing::Test {
    QTemporaryDir dir;
    std::optional<ModalWatcher> watching{std::in_place};
    ModalWatcher& watcher = *watching;
    FakeMedia played;
    MediaWindowSet windows{FakeMediaEngine::factory(played)};

    MediaLauncher* launcher() const { return windows.launcher.get(); }
    Playlist* playlist() { return &windows.playlist; }
    int boxes() const { return int(watcher.seen().size()); }

    QString path(const QString& name) const { return dir.filePath(name); }

    // A picture of the given size in the format its name asks for.
    QString picture(const QString& name, int width, int height, const char* format)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(30, 120, 200));
        const QString file = path(name);
        EXPECT_TRUE(image.save(file, format)) << name.toStdString();
        return file;
    }

    QString bytes(const QString& name, const QByteArray& content)
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path(name);
    }

    int pictureErrors() const
    {
        int n = 0;
        for (const SeenBox& box : watcher.seen())
            n += box.text.startsWith(QStringLiteral("Изображение отсутствует")) ? 1 : 0;
        return n;
    }
};
