#pragma once
// Targets that draw text need a GUI application (fonts); one, offscreen, is
// made on first use and kept for the life of the process.
#include <QByteArray>
#include <QGuiApplication>

inline void ensureGuiApplication()
{
    static QGuiApplication* const app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}
