// Loading a 24-megapixel JPEG through the JPEG plug-in, the same decode by djpeg for comparison,
// and the plug-in search with 0, 4 and 50 plug-ins.

#include "spi/spibmp.h"
#include "spi/spis.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>

extern char** environ;

namespace {

QString ExecutableDir() {
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return exe.left(exe.lastIndexOf(QLatin1Char('/')));
}

QString JpegPlugin() {
    return ExecutableDir() + QStringLiteral("/../bin/Plugins/jpeg.spi");
}

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

// A 6000 x 4000 photo-like JPEG (smooth gradients with fine texture), made once per machine.
QString BenchJpeg() {
    const QString dir = QDir::tempPath() + QStringLiteral("/couchframe-bench");
    const QString jpeg = dir + QStringLiteral("/24mp.jpg");
    if (QFile::exists(jpeg))
        return jpeg;
    QDir().mkpath(dir);
    const int w = 6000, h = 4000;
    QByteArray ppm = QStringLiteral("P6\n%1 %2\n255\n").arg(w).arg(h).toLatin1();
    const qsizetype header = ppm.size();
    ppm.resize(header + qsizetype(w) * h * 3);
    auto* p = reinterpret_cast<uint8_t*>(ppm.data() + header);
    uint32_t noise = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = int(noise >> 28) - 8;
            *p++ = uint8_t(std::clamp(x * 255 / w + grain, 0, 255));
            *p++ = uint8_t(std::clamp(y * 255 / h + grain, 0, 255));
            *p++ = uint8_t(std::clamp(((x / 40 + y / 40) % 2) * 120 + 60 + grain, 0, 255));
        }
    const QString ppmPath = dir + QStringLiteral("/24mp.ppm");
    QFile file(ppmPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(ppm) != ppm.size())
        return QString();
    file.close();
    Run({"cjpeg", "-quality", "90", "-outfile", jpeg, ppmPath});
    QFile::remove(ppmPath);
    return jpeg;
}

void LoadJpeg24MP(benchmark::State& state) {
    const QString jpeg = BenchJpeg();
    TSPIs host;
    host.Add(LoadPlugin(JpegPlugin()));
    for (auto _ : state) {
        TSPIBitmap bitmap;
        bitmap.LoadFile(jpeg);
        benchmark::DoNotOptimize(bitmap.Image().constBits());
    }
    state.SetLabel("6000x4000");
}
BENCHMARK(LoadJpeg24MP)->Unit(benchmark::kMillisecond)->MinTime(3);

// The same file decoded by libjpeg-turbo's own tool into a BMP (written to /dev/null).
void DjpegBmp24MP(benchmark::State& state) {
    const QString jpeg = BenchJpeg();
    for (auto _ : state)
        if (Run({"djpeg", "-bmp", "-outfile", "/dev/null", jpeg}) != 0)
            state.SkipWithError("djpeg failed");
}
BENCHMARK(DjpegBmp24MP)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

void SearchPlugins(benchmark::State& state) {
    QTemporaryDir dir;
    for (int i = 0; i < state.range(0); ++i) {
        const QString target = dir.filePath(QStringLiteral("p%1.spi").arg(i));
        QFile::copy(JpegPlugin(), target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QString mask = dir.path() + QStringLiteral("/*.spi");
    for (auto _ : state) {
        TSPIs host;
        host.OnSearch = SPIs1Search;
        host.Search(mask);
        if (host.Count() != state.range(0))
            state.SkipWithError("not every plug-in loaded");
    }
}
BENCHMARK(SearchPlugins)->Arg(0)->Arg(4)->Arg(50)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
