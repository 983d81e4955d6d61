// Loading a 24-megapixel JPEG through the JPEG plug-in, in full and for a 1920 x 1080 screen, the
// same decodes by djpeg for comparison, and the plug-in search with 0, 4 and 50 plug-ins.

#include "bench_media.h"
#include "spi/spibmp.h"
#include "spi/spis.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

void LoadJpeg24MP(benchmark::State& state) {
    const QString jpeg = BenchJpeg();
    TSPIs host;
    host.Add(LoadPlugin(JpegPlugin()));
    for (auto _ : state) {
        TSPIBitmap bitmap;
        bitmap.Host = &host;
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

// The same file for a 1920 x 1080 screen: the plug-in decodes it at half scale (3000 x 2000, the
// smallest that still covers the fitted 1620 x 1080).
void LoadJpeg24MPForScreen(benchmark::State& state) {
    const QString jpeg = BenchJpeg();
    TSPIs host;
    host.Add(LoadPlugin(JpegPlugin()));
    for (auto _ : state) {
        TSPIBitmap bitmap;
        bitmap.Host = &host;
        bitmap.FitArea = QSize(1920, 1080);
        bitmap.LoadFile(jpeg);
        if (bitmap.Image().size() != QSize(3000, 2000))
            state.SkipWithError("not decoded at half scale");
        benchmark::DoNotOptimize(bitmap.Image().constBits());
    }
    state.SetLabel("6000x4000 for 1920x1080");
}
BENCHMARK(LoadJpeg24MPForScreen)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

void DjpegHalfBmp24MP(benchmark::State& state) {
    const QString jpeg = BenchJpeg();
    for (auto _ : state)
        if (Run({"djpeg", "-scale", "1/2", "-bmp", "-outfile", "/dev/null", jpeg}) != 0)
            state.SkipWithError("djpeg failed");
}
BENCHMARK(DjpegHalfBmp24MP)->Unit(benchmark::kMillisecond)->MinTime(3)->UseRealTime();

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
