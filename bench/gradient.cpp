#include "gradient/pgra112.h"
#include "platform/image_widget.h"

#include <QApplication>

#include <benchmark/benchmark.h>

// The screens' own gradient: blue fading to the active-caption colour in bands of 3 pixels.
static void PaintScreenGradient(benchmark::State& state) {
    ImageWidget image;
    image.resize(int(state.range(0)), int(state.range(1)));
    TPGradation gradation;
    gradation.SetTargetImage(&image);
    gradation.SetEndColor(clGradientActiveCaption);
    gradation.SetDelay(3);
    gradation.SetGradationMode(GMode(state.range(2)));
    image.Picture(); // the surface exists before the first paint, as on a shown screen
    for (auto _ : state) {
        gradation.Paint();
        benchmark::DoNotOptimize(image.Picture().constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(PaintScreenGradient)
    ->ArgNames({"width", "height", "mode"})
    ->Args({1920, 1080, mdVertical})
    ->Args({3840, 2160, mdVertical})
    ->Args({1920, 1080, mdDiagonally})
    ->Args({3840, 2160, mdDiagonally})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
