#include "bench_media.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <vector>

extern char** environ;

int Run(const QStringList& command) {
    std::vector<QByteArray> args;
    for (const QString& part : command)
        args.push_back(QFile::encodeName(part));
    std::vector<char*> argv;
    for (QByteArray& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QString JpegPlugin() {
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return exe.left(exe.lastIndexOf(QLatin1Char('/'))) + QStringLiteral("/../bin/Plugins/jpeg.spi");
}

QString BenchJpeg() {
    const QString dir = QDir::tempPath() + QStringLiteral("/couchframe-bench");
    const QString jpeg = dir + QStringLiteral("/24mp.jpg");
    if (QFile::exists(jpeg))
        return jpeg;
    QDir().mkpath(dir);
    const int w = 6000, h = 4000;
    QImage image(w, h, QImage::Format_RGB888);
    uint32_t noise = 12345;
    for (int y = 0; y < h; ++y) {
        uchar* p = image.scanLine(y);
        for (int x = 0; x < w; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = int(noise >> 28) - 8;
            *p++ = uchar(std::clamp(x * 255 / w + grain, 0, 255));
            *p++ = uchar(std::clamp(y * 255 / h + grain, 0, 255));
            *p++ = uchar(std::clamp(((x / 40 + y / 40) % 2) * 120 + 60 + grain, 0, 255));
        }
    }
    const QString ppm = dir + QStringLiteral("/24mp.ppm");
    if (!image.save(ppm, "PPM"))
        return {};
    Run({"cjpeg", "-quality", "90", "-outfile", jpeg, ppm});
    QFile::remove(ppm);
    return QFile::exists(jpeg) ? jpeg : QString();
}
