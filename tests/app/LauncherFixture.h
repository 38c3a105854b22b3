#pragma once
// The window set with a temporary settings home and a folder of small
// picture files, shared by the launcher and slide-show tests.
#include "TestSupport.h"
#include "app/Application.h"
#include "app/ShellState.h"
#include "app/TForm4.h"
#include "styled/TdxfCheckBox.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

struct LauncherWindows : ::testing::Test {
    TempConfigHome home;
    QTemporaryDir dir;
    std::optional<ModalWatcher> watching{std::in_place};
    ModalWatcher& watcher = *watching;

    void SetUp() override
    {
        Shell = ShellState();
        Application::createWindows();
        Form4->dxfCheckBox2->setChecked(true);
        // The first start greets the user; that box is not the launcher's.
        waitFor([this] { return !watcher.seen().isEmpty(); }, 300);
        baseline = watcher.seen().size();
    }
    // Boxes seen since the set-up.
    int boxes() const { return int(watcher.seen().size()) - baseline; }
    int baseline = 0;
    void TearDown() override
    {
        Application::destroyWindows();
        Shell = ShellState();
    }

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
