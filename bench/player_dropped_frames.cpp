// Smoothness of video playback: frames dropped while the player screen plays 10 s of 1080p30
// full screen on an X server, against mpv itself (--no-config --vo=x11) on the same file and
// server in the same run. Needs DISPLAY (bench/run starts a private Xvfb); both play without
// sound output, so the video clock is the only one.
#include "app/services.h"
#include "bench_media.h"
#include "platform/application.h"
#include "player/mpv_engine.h"
#include "player/mpv_names.h"
#include "player/player_form.h"
#include "settings/store.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {
QString gClip;
QString gScript;

// mpv's own count at the end of the item: frames dropped by the output and by the decoder.
const char kReportScript[] = R"(mp.add_hook("on_unload", 50, function()
  io.write(string.format("dropped %d %d\n", mp.get_property_number("frame-drop-count", 0),
                         mp.get_property_number("decoder-frame-drop-count", 0)))
end)
)";

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY");
}

void Wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

qint64 Count(MpvEngine& player, const char* name) {
    return player.PropertyText(name).toLongLong();
}

void BM_PlayerScreen_DroppedFrames1080p30(benchmark::State& state) {
    if (!HasDisplay()) {
        state.SkipWithError("needs an X server (DISPLAY)");
        return;
    }
    const Seam<MpvOptions>::Override nullSound(MpvEngine::DefaultOptionsSeam(),
                                               MpvOptions{QStringLiteral("null"), true});
    qint64 dropped = 0;
    SteadyClock steady;
    SettingsStore store;
    Services services(steady, store);
    for (auto _ : state) {
        auto form = CreatePlayerScreen(QFile::encodeName(gClip), 1, services.Screens(nullptr));
        auto* player = static_cast<MpvEngine*>(&form->WMP1->Engine());
        form->show();
        // The counts vanish when the item ends: the last reading while it plays is the result.
        QElapsedTimer clock;
        clock.start();
        bool started = false;
        while (clock.elapsed() < 30000) {
            Wait(20);
            const EngineState now = player->state();
            if (now == EngineState::Playing) {
                started = true;
                dropped = Count(*player, mpvname::FrameDropCount) +
                          Count(*player, mpvname::DecoderFrameDropCount);
            } else if (started && now == EngineState::Idle) {
                break;
            }
        }
        if (!started)
            state.SkipWithError("playback did not start");
        form->close();
    }
    state.counters["dropped_frames"] = double(dropped);
}

void BM_MpvX11_DroppedFrames1080p30(benchmark::State& state) {
    if (!HasDisplay()) {
        state.SkipWithError("needs an X server (DISPLAY)");
        return;
    }
    qint64 dropped = 0;
    for (auto _ : state) {
        QProcess mpv;
        mpv.start(QStringLiteral("mpv"), {"--no-config", "--vo=x11", "--ao=null", "--fs",
                                          "--really-quiet", "--script=" + gScript, gClip});
        if (!mpv.waitForFinished(60000) || mpv.exitCode() != 0) {
            state.SkipWithError("mpv failed");
            break;
        }
        const QList<QByteArray> words = mpv.readAllStandardOutput().trimmed().split(' ');
        if (words.size() != 3 || words[0] != "dropped") {
            state.SkipWithError("mpv reported no count");
            break;
        }
        dropped = words[1].toLongLong() + words[2].toLongLong();
    }
    state.counters["dropped_frames"] = double(dropped);
}

BENCHMARK(BM_PlayerScreen_DroppedFrames1080p30)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MpvX11_DroppedFrames1080p30)->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", HasDisplay() ? "xcb" : "offscreen");
    QTemporaryDir sandbox;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(sandbox.path()));
    Application app(argc, argv);
    gClip = sandbox.filePath(QStringLiteral("clip1080p30.mp4"));
    gScript = sandbox.filePath(QStringLiteral("report.lua"));
    QFile script(gScript);
    if (!script.open(QIODevice::WriteOnly) || script.write(kReportScript) < 0)
        qFatal("cannot write the report script");
    script.close();
    if (Run({"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
             "testsrc2=duration=10:size=1920x1080:rate=30", "-c:v", "libx264", "-preset",
             "veryfast", "-pix_fmt", "yuv420p", gClip}) != 0)
        qFatal("ffmpeg cannot make the 1080p30 clip");

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
