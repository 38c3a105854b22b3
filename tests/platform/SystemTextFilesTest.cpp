#include "platform/SystemTextFiles.h"

#include <gtest/gtest.h>

#include <random>

using namespace SystemTextFiles;

TEST(SystemTextFiles, MeminfoInSixtyFourBits)
{
    const QByteArray meminfo = "MemTotal:       16777216 kB\n"
                               "MemFree:         1000000 kB\n"
                               "MemAvailable:   12582912 kB\n"
                               "CommitLimit:    20971520 kB\n"
                               "Committed_AS:    5242880 kB\n";
    const auto m = parseMeminfo(meminfo);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->totalPhysical, 17179869184LL);
    EXPECT_EQ(m->availPhysical, 12884901888LL);
    EXPECT_EQ(m->totalVirtual, 21474836480LL);
    EXPECT_EQ(m->availVirtual, 16106127360LL);

    // Overcommitted: nothing left, never a negative figure.
    EXPECT_EQ(parseMeminfo("MemTotal: 4 kB\nMemAvailable: 2 kB\nCommitLimit: 10 kB\nCommitted_AS: 30 kB\n")->availVirtual,
              0);
    for (const char* broken : {"", "MemTotal: 100 kB\n", "MemTotal: -5 kB\nMemAvailable: 1 kB\n",
                               "MemTotal: 99999999999999999999 kB\nMemAvailable: 1 kB\n",
                               "MemTotal: 9007199254740993 kB\nMemAvailable: 1 kB\n", "MemTotal: many\nMemAvailable: 1 kB\n"})
        EXPECT_FALSE(parseMeminfo(broken)) << broken;
}

TEST(SystemTextFiles, KeyValueFiles)
{
    const QByteArray osRelease = "NAME=\"Debian GNU/Linux\"\n"
                                 "PRETTY_NAME=\"Debian \\\"bookworm\\\" 12\"\n"
                                 "ID=debian\n"
                                 "VERSION_ID='12'\n";
    EXPECT_EQ(osReleaseField(osRelease, "PRETTY_NAME"), QStringLiteral("Debian \"bookworm\" 12"));
    EXPECT_EQ(osReleaseField(osRelease, "NAME"), QStringLiteral("Debian GNU/Linux"));
    EXPECT_EQ(osReleaseField(osRelease, "ID"), QStringLiteral("debian"));
    EXPECT_EQ(osReleaseField(osRelease, "VERSION_ID"), QStringLiteral("12"));
    EXPECT_EQ(osReleaseField(osRelease, "VERSION"), QString());

    const QByteArray cpuinfo = "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Some CPU @ 2.40GHz\n\n"
                               "processor\t: 1\nvendor_id\t: Other\n";
    EXPECT_EQ(colonField(cpuinfo, QStringLiteral("vendor_id")), QStringLiteral("GenuineIntel"));
    EXPECT_EQ(colonField(cpuinfo, QStringLiteral("model name")), QStringLiteral("Some CPU @ 2.40GHz"));
    EXPECT_EQ(colonField(cpuinfo, QStringLiteral("processor")), QStringLiteral("0"));

    const QByteArray userDirs = "# comment\nXDG_DESKTOP_DIR=\"$HOME/Рабочий стол\"\nXDG_TEMPLATES_DIR=\"$HOME/\"\n"
                                "XDG_PICTURES_DIR=\"/data/pictures\"\n";
    EXPECT_EQ(userDirectory(userDirs, "DESKTOP", QStringLiteral("/home/u")), QStringLiteral("/home/u/Рабочий стол"));
    EXPECT_EQ(userDirectory(userDirs, "TEMPLATES", QStringLiteral("/home/u")), QString());
    EXPECT_EQ(userDirectory(userDirs, "PICTURES", QStringLiteral("/home/u")), QStringLiteral("/data/pictures"));
    EXPECT_EQ(userDirectory(userDirs, "MUSIC", QStringLiteral("/home/u")), QString());

    const QByteArray entry = "[Desktop Action new]\nExec=browser --new\n[Desktop Entry]\nName=Browser\n"
                             "Exec=/usr/bin/browser %u\n";
    EXPECT_EQ(desktopEntryExec(entry), QStringLiteral("/usr/bin/browser %u"));
    EXPECT_EQ(desktopEntryExec("Exec=outside\n"), QString());
}

TEST(SystemTextFiles, AnyBytesGiveAnAnswerOrNothing)
{
    std::mt19937 random(12);
    const QByteArray pieces[] = {"MemTotal:", "MemAvailable:", " kB", "\n", "\n\n", "=", "\"", "'", "\\", ":",
                                 "[Desktop Entry]", "Exec=", "XDG_DESKTOP_DIR=", "$HOME", "PRETTY_NAME=", "\xff\xfe"};
    for (int round = 0; round < 2000; ++round) {
        QByteArray text;
        const int parts = static_cast<int>(random() % 24);
        for (int i = 0; i < parts; ++i) {
            if (random() % 3 == 0)
                text += static_cast<char>(random() % 256);
            else
                text += pieces[random() % std::size(pieces)];
        }
        const auto m = parseMeminfo(text);
        if (m) {
            EXPECT_GE(m->totalPhysical, 0);
            EXPECT_GE(m->availVirtual, 0);
        }
        (void)osReleaseField(text, "PRETTY_NAME");
        (void)colonField(text, QStringLiteral("MemTotal"));
        (void)userDirectory(text, "DESKTOP", QStringLiteral("/home/u"));
        (void)desktopEntryExec(text);
    }
}
