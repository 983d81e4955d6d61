// The viewer's steps to a 24-megapixel JPEG on a 1920 x 1080 area through the shipped JPEG
// plug-in, until the picture is drawn: one that decodes on the spot, and one to a picture decoded
// ahead; and the same file decoded by djpeg -bmp in the same run for comparison
// (bench/viewer_next_picture_vs_djpeg).

#include "app/services.h"
#include "bench_media.h"
#include "platform/application.h"
#include "platform/image_widget.h"
#include "settings/store.h"
#include "spi/spibmp.h"
#include "spi/spis.h"
#include "viewer/viewer_form.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// A viewer on a 1920 x 1080 area showing a list of two copies of the 24-megapixel JPEG, or none
// when something is missing (the reason is given to the state).
std::unique_ptr<TViewer_Form> OpenViewer(benchmark::State& state, TSPIs& host, Services& services) {
    const QString jpeg = BenchJpeg();
    if (jpeg.isEmpty()) {
        state.SkipWithError("cannot make the JPEG (cjpeg missing?)");
        return nullptr;
    }
    host.OnSearch = SPIs1Search;
    host.Search(JpegPlugin());
    if (host.Count() != 1) {
        state.SkipWithError("the JPEG plug-in is not built (build/bin/Plugins/jpeg.spi)");
        return nullptr;
    }
    // Two files, not one twice: a picture is decoded ahead by its name, and a step back to the
    // same name would find the one being decoded ahead instead of decoding on the spot.
    const QString second = QDir::tempPath() + QStringLiteral("/couchframe-bench/viewer-second.jpg");
    QFile::remove(second);
    QFile list(QDir::tempPath() + QStringLiteral("/couchframe-bench/viewer.lst"));
    if (!QFile::copy(jpeg, second) || !list.open(QIODevice::WriteOnly) ||
        list.write(QFile::encodeName(jpeg) + '\n' + QFile::encodeName(second) + '\n') < 0) {
        state.SkipWithError("cannot write the list file");
        return nullptr;
    }
    list.close();
    auto viewer = std::make_unique<TViewer_Form>(services.Screens(&host));
    viewer->listFlag = true;
    viewer->path = QFile::encodeName(list.fileName());
    viewer->show();
    viewer->setGeometry(0, 0, 1920, 1080);
    QCoreApplication::processEvents();
    if (viewer->Image1->size() != QSize(1920, 1080)) {
        state.SkipWithError("the drawing area is not 1920 x 1080");
        return nullptr;
    }
    return viewer;
}

void Finish(benchmark::State& state, TViewer_Form& viewer) {
    if (viewer.Image1->Picture().size() != QSize(1920, 1080))
        state.SkipWithError("nothing was drawn");
    state.SetLabel("6000x4000 on 1920x1080");
    viewer.close();
}

// A step that decodes on the spot: back to the first picture (only the next one is decoded ahead).
void ViewerNextPicture24MP(benchmark::State& state) {
    TSPIs host;
    SteadyClock clock;
    SettingsStore store;
    Services services(clock, store);
    const std::unique_ptr<TViewer_Form> viewer = OpenViewer(state, host, services);
    if (!viewer)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        viewer->NextPicture();
        state.ResumeTiming();
        viewer->PreviousPicture();
        benchmark::DoNotOptimize(viewer->Image1->Picture().constBits());
    }
    Finish(state, *viewer);
}

// A step forward once the next picture has been decoded ahead, as in a slide show.
void ViewerNextPicturePrefetched24MP(benchmark::State& state) {
    TSPIs host;
    SteadyClock clock;
    SettingsStore store;
    Services services(clock, store);
    const std::unique_ptr<TViewer_Form> viewer = OpenViewer(state, host, services);
    if (!viewer)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        if (viewer->Index() == 1)
            viewer->PreviousPicture();
        while (!viewer->PrefetchReady())
            QThread::msleep(1);
        state.ResumeTiming();
        viewer->NextPicture();
        benchmark::DoNotOptimize(viewer->Image1->Picture().constBits());
    }
    Finish(state, *viewer);
}

// The fastest repetition: the figure a busy shared machine disturbs least.
double Fastest(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}

BENCHMARK(ViewerNextPicture24MP)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1)
    ->UseRealTime()
    ->ComputeStatistics("min", Fastest);
// Each measured step costs two untimed decodes: a fixed count keeps the run short.
BENCHMARK(ViewerNextPicturePrefetched24MP)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->UseRealTime()
    ->ComputeStatistics("min", Fastest);

// The same file decoded by libjpeg-turbo's own tool into a BMP (written to /dev/null).
void DjpegBmp24MP(benchmark::State& state) {
    const QString jpeg = BenchJpeg();
    for (auto _ : state)
        if (Run({"djpeg", "-bmp", "-outfile", "/dev/null", jpeg}) != 0)
            state.SkipWithError("djpeg failed");
}
BENCHMARK(DjpegBmp24MP)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1)
    ->UseRealTime()
    ->ComputeStatistics("min", Fastest);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
