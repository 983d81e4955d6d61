// The viewer's step to the next picture, from NextPicture until the picture is drawn, for a
// 24-megapixel JPEG on a 1920 x 1080 area through the shipped JPEG plug-in; and the same file
// decoded by djpeg -bmp in the same run for comparison (bench/viewer_next_picture_vs_djpeg).

#include "platform/application.h"
#include "platform/image_widget.h"
#include "spi/spibmp.h"
#include "spi/spis.h"
#include "viewer/viewer_form.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <vector>

extern char** environ;

namespace {

QString ExecutableDir() {
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return exe.left(exe.lastIndexOf(QLatin1Char('/')));
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

// A 6000 x 4000 photo-like JPEG (gradients, squares and fine grain), quality 90, made once.
QString BenchJpeg() {
    const QString dir = QDir::tempPath() + QStringLiteral("/couchframe-bench");
    const QString jpeg = dir + QStringLiteral("/viewer-24mp.jpg");
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
    const QString ppm = dir + QStringLiteral("/viewer-24mp.ppm");
    if (!image.save(ppm, "PPM"))
        return {};
    Run({"cjpeg", "-quality", "90", "-outfile", jpeg, ppm});
    QFile::remove(ppm);
    return QFile::exists(jpeg) ? jpeg : QString();
}

void ViewerNextPicture24MP(benchmark::State& state) {
    const QString jpeg = BenchJpeg();
    if (jpeg.isEmpty()) {
        state.SkipWithError("cannot make the JPEG (cjpeg missing?)");
        return;
    }
    TSPIs host;
    host.OnSearch = SPIs1Search;
    host.Search(ExecutableDir() + QStringLiteral("/../bin/Plugins/jpeg.spi"));
    if (host.Count() != 1) {
        state.SkipWithError("the JPEG plug-in is not built (build/bin/Plugins/jpeg.spi)");
        return;
    }
    // The same picture twice: each step forward or back loads and draws it again.
    QFile list(QDir::tempPath() + QStringLiteral("/couchframe-bench/viewer.lst"));
    if (!list.open(QIODevice::WriteOnly) ||
        list.write(QFile::encodeName(jpeg) + '\n' + QFile::encodeName(jpeg) + '\n') < 0) {
        state.SkipWithError("cannot write the list file");
        return;
    }
    list.close();

    TViewer_Form viewer;
    viewer.listFlag = true;
    viewer.path = QFile::encodeName(list.fileName());
    viewer.show();
    viewer.setGeometry(0, 0, 1920, 1080);
    QCoreApplication::processEvents();
    if (viewer.Image1->size() != QSize(1920, 1080)) {
        state.SkipWithError("the drawing area is not 1920 x 1080");
        return;
    }
    for (auto _ : state) {
        if (viewer.Index() == 0)
            viewer.NextPicture();
        else
            viewer.PreviousPicture();
        benchmark::DoNotOptimize(viewer.Image1->Picture().constBits());
    }
    if (viewer.Image1->Picture().size() != QSize(1920, 1080))
        state.SkipWithError("nothing was drawn");
    state.SetLabel("6000x4000 on 1920x1080");
    viewer.close();
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
