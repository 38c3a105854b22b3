#include "BenchFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

QByteArray photoPpm(int width, int height)
{
    QByteArray ppm = QByteArray("P6\n") + QByteArray::number(width) + ' ' + QByteArray::number(height) + "\n255\n";
    const qsizetype header = ppm.size();
    ppm.resize(header + qsizetype(width) * height * 3);
    auto* p = reinterpret_cast<unsigned char*>(ppm.data() + header);
    unsigned seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int((seed >> 16) & 31) - 16;
            *p++ = static_cast<unsigned char>(std::clamp(x * 255 / width + noise, 0, 255));
            *p++ = static_cast<unsigned char>(std::clamp(y * 255 / height + noise, 0, 255));
            *p++ = static_cast<unsigned char>(std::clamp(((x / 64 + y / 64) % 2) * 160 + 40 + noise, 0, 255));
        }
    return ppm;
}

void makePhotoFolder(const QString& folder, int count)
{
    QDir().mkpath(folder);
    const QSize sizes[] = {{3456, 2304}, {4000, 3000}, {4896, 3264}, {6000, 4000}};
    for (int i = 0; i < count; ++i) {
        const QString name = folder + QStringLiteral("photo%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        if (QFile::exists(name))
            continue;
        const QSize size = sizes[i % 4];
        const QString ppm = folder + QStringLiteral("source.ppm");
        QFile out(ppm);
        if (!out.open(QIODevice::WriteOnly) || out.write(photoPpm(size.width(), size.height())) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(ppm));
            std::exit(1);
        }
        out.close();
        QStringList args = {QStringLiteral("-quality"), QStringLiteral("88")};
        if (i % 2)
            args << QStringLiteral("-progressive");
        args << QStringLiteral("-outfile") << name << ppm;
        if (QProcess::execute(QStringLiteral("cjpeg"), args) != 0) {
            std::fprintf(stderr, "cjpeg failed\n");
            std::exit(1);
        }
        std::fprintf(stderr, "\rmaking photos: %d/%d", i + 1, count);
    }
    QFile::remove(folder + QStringLiteral("source.ppm"));
    std::fprintf(stderr, "\n");
}

void readIntoPageCache(const QString& folder, const QStringList& files)
{
    for (const QString& f : files) {
        QFile in(folder + f);
        in.open(QIODevice::ReadOnly);
        while (!in.read(1 << 20).isEmpty()) {
        }
    }
}

std::vector<std::vector<std::string>> peerCommands(const QString& folder, const QStringList& files,
                                                   const QString& outDir)
{
    std::vector<std::vector<std::string>> halves(2);
    for (auto& half : halves)
        half = {"vipsthumbnail", "-s", "100", "-o", (outDir + QStringLiteral("/%s.jpg")).toStdString()};
    std::vector<std::pair<qint64, QString>> bySize;
    for (const QString& f : files)
        bySize.emplace_back(QFileInfo(folder + f).size(), f);
    std::sort(bySize.begin(), bySize.end(), std::greater<>());
    qint64 load[2] = {0, 0};
    for (const auto& [size, f] : bySize) {
        const int half = load[0] <= load[1] ? 0 : 1;
        load[half] += size;
        halves[size_t(half)].push_back((folder + f).toStdString());
    }
    return halves;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double cpuMs(const rusage& usage)
{
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

ChildRun runChild(std::vector<std::string> args, const std::string& stdoutPath)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::perror(argv[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    ChildRun run;
    run.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(1);
    }
    run.cpuMs = cpuMs(usage);
    run.peakRssKb = usage.ru_maxrss;
    if (stdoutPath != "/dev/null") {
        QFile f(QString::fromStdString(stdoutPath));
        if (f.open(QIODevice::ReadOnly))
            run.output = f.readAll().trimmed().toStdString();
    }
    return run;
}
