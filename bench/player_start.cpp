// Start-up cost of playback: the player screen opening a file until the first decoded frame (video)
// or the first audio (MP3), against a minimal libmpv program on the same files in the same run,
// both with null outputs. Also the program's own start (couchframe --version) against a process
// that loads libmpv, which is what linking it would add to every start.
#include "app/services.h"
#include "platform/application.h"
#include "platform/keys.h"
#include "player/mpv_engine.h"
#include "player/mpv_library.h"
#include "player/player_form.h"
#include "settings/store.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <chrono>
#include <dlfcn.h>
#include <memory>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>

extern char** environ;

namespace {
QString gVideo;
QString gNextVideo; // the same clip under another name: the next episode
QString gSong;
QString gSelf;

void Ffmpeg(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
                  QStringList{"-hide_banner", "-loglevel", "error", "-y"} + arguments);
    if (!process.waitForFinished(300000) || process.exitCode() != 0)
        qFatal("ffmpeg failed: %s", process.readAllStandardError().constData());
}

// Opens the screen as the folder list does and waits until mpv reports playback under way.
bool OpenOnce(benchmark::State* state, const QString& path, int category) {
    SteadyClock clock;
    SettingsStore store;
    Services services(clock, store);
    auto* form = new TPlayer_Form(std::make_unique<MpvEngine>(), services.Screens(nullptr));
    auto* control = form->WMP1;
    auto* engine = static_cast<MpvEngine*>(&control->Engine());
    QEventLoop loop;
    QObject::connect(engine, &MpvEngine::playbackRestarted, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    if (category == 1)
        form->MusicPanel->hide();
    else
        form->WMP1->hide();
    control->setURL(QFile::encodeName(path));
    form->show();
    loop.exec();
    if (state)
        state->PauseTiming();
    const bool playing = control->playState() == 3;
    delete form;
    if (state)
        state->ResumeTiming();
    return playing;
}

void OpenPlayer(benchmark::State& state, const QString& path, int category) {
    const Seam<MpvOptions>::Override nullOutputs(MpvEngine::DefaultOptionsSeam(),
                                                 MpvOptions{QStringLiteral("null"), false});
    // In a real run the main menu and the folder list have loaded fonts and styles already.
    OpenOnce(nullptr, path, category);
    for (auto _ : state)
        if (!OpenOnce(&state, path, category))
            state.SkipWithError("playback did not start");
}

// From the end of one episode to the first frame of the next, its notice cut short by Enter at
// once, as a viewer who does not wait for the countdown.
void BM_PlayerScreen_NextEpisodeFirstFrame1080p(benchmark::State& state) {
    const Seam<MpvOptions>::Override nullOutputs(MpvEngine::DefaultOptionsSeam(),
                                                 MpvOptions{QStringLiteral("null"), false});
    SteadyClock clock;
    SettingsStore store;
    Services services(clock, store);
    const QByteArray first = QFile::encodeName(gVideo);
    const QByteArray next = QFile::encodeName(gNextVideo);
    for (auto _ : state) {
        auto form = std::make_unique<TPlayer_Form>(std::make_unique<MpvEngine>(),
                                                   services.Screens(nullptr));
        auto* control = form->WMP1;
        auto* engine = static_cast<MpvEngine*>(&control->Engine());
        form->MusicPanel->hide();
        form->neighbours = {first, next};
        std::optional<std::chrono::steady_clock::time_point> ended;
        std::optional<std::chrono::steady_clock::time_point> shown;
        QEventLoop loop;
        bool seeked = false;
        QObject::connect(engine, &MpvEngine::playbackRestarted, &loop, [&] {
            if (ended) {
                shown = std::chrono::steady_clock::now();
                loop.quit();
            } else if (!seeked) {
                seeked = true;
                control->controls().setCurrentPosition(control->currentMedia().duration() - 0.2);
            }
        });
        QObject::connect(control, &MediaPlayerControl::itemEnded, &loop, [&] {
            ended = std::chrono::steady_clock::now();
            form->PressKey(vk::Return);
        });
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        control->setURL(first);
        form->show();
        loop.exec();
        if (!shown) {
            state.SkipWithError("the next episode did not start");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(*shown - *ended).count());
    }
}

// The least a libmpv program does: create, load, wait for the first playback restart.
void MinimalMpv(benchmark::State& state, const QString& path, const char* hwdec = nullptr) {
    const MpvApi& mpv = Mpv();
    const QByteArray file = QFile::encodeName(path);
    for (auto _ : state) {
        mpv_handle* handle = mpv.create();
        mpv.set_option_string(handle, "vo", "null");
        mpv.set_option_string(handle, "ao", "null");
        if (hwdec)
            mpv.set_option_string(handle, "hwdec", hwdec);
        mpv.initialize(handle);
        const char* command[] = {"loadfile", file.constData(), nullptr};
        mpv.command(handle, command);
        for (;;) {
            const mpv_event* event = mpv.wait_event(handle, 20);
            if (event->event_id == MPV_EVENT_PLAYBACK_RESTART)
                break;
            if (event->event_id == MPV_EVENT_NONE || event->event_id == MPV_EVENT_END_FILE) {
                state.SkipWithError("playback did not start");
                break;
            }
        }
        state.PauseTiming();
        mpv.terminate_destroy(handle);
        state.ResumeTiming();
    }
}

void BM_PlayerScreen_FirstVideoFrame1080p(benchmark::State& state) {
    OpenPlayer(state, gVideo, 1);
}
void BM_MinimalLibmpv_FirstVideoFrame1080p(benchmark::State& state) {
    MinimalMpv(state, gVideo);
}
// The same with the hardware decoding the player asks for, to tell its share from the screen's.
void BM_MinimalLibmpvHwdec_FirstVideoFrame1080p(benchmark::State& state) {
    MinimalMpv(state, gVideo, "auto-safe");
}
void BM_PlayerScreen_FirstAudioMp3(benchmark::State& state) {
    OpenPlayer(state, gSong, 2);
}
void BM_MinimalLibmpv_FirstAudioMp3(benchmark::State& state) {
    MinimalMpv(state, gSong);
}

void RunProcess(benchmark::State& state, const QByteArray& program, const QByteArray& argument) {
    for (auto _ : state) {
        char* argv[] = {const_cast<char*>(program.constData()),
                        const_cast<char*>(argument.constData()), nullptr};
        pid_t child = 0;
        if (posix_spawn(&child, argv[0], nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start the process");
            break;
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("the process failed");
    }
}

void BM_Process_CouchframeVersion(benchmark::State& state) {
    const QString program = QFileInfo(gSelf).dir().filePath(QStringLiteral("../bin/couchframe"));
    RunProcess(state, QFile::encodeName(QFileInfo(program).canonicalFilePath()), "--version");
}
void BM_Process_Empty(benchmark::State& state) {
    RunProcess(state, QFile::encodeName(gSelf), "--exit");
}
void BM_Process_LoadingLibmpv(benchmark::State& state) {
    RunProcess(state, QFile::encodeName(gSelf), "--load-libmpv");
}

BENCHMARK(BM_PlayerScreen_FirstVideoFrame1080p)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_MinimalLibmpv_FirstVideoFrame1080p)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_MinimalLibmpvHwdec_FirstVideoFrame1080p)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_PlayerScreen_FirstAudioMp3)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_MinimalLibmpv_FirstAudioMp3)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_PlayerScreen_NextEpisodeFirstFrame1080p)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);
BENCHMARK(BM_Process_CouchframeVersion)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_Process_Empty)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_Process_LoadingLibmpv)->Unit(benchmark::kMillisecond)->Iterations(20);
} // namespace

int main(int argc, char** argv) {
    // Child processes of the start-up measurements.
    if (argc == 2 && std::strcmp(argv[1], "--exit") == 0)
        return 0;
    if (argc == 2 && std::strcmp(argv[1], "--load-libmpv") == 0)
        return dlopen("libmpv.so.2", RTLD_NOW | RTLD_LOCAL) ? 0 : 1;

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir sandbox;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(sandbox.path()));
    Application app(argc, argv);
    gSelf = QCoreApplication::applicationFilePath();
    gVideo = sandbox.filePath(QStringLiteral("clip1080.mp4"));
    gSong = sandbox.filePath(QStringLiteral("song.mp3"));
    gNextVideo = sandbox.filePath(QStringLiteral("clip1080 next.mp4"));
    Ffmpeg({"-f", "lavfi", "-i", "testsrc2=duration=3:size=1920x1080:rate=25", "-f", "lavfi", "-i",
            "sine=duration=3", "-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p",
            "-c:a", "aac", "-shortest", gVideo});
    QFile::copy(gVideo, gNextVideo);
    Ffmpeg({"-f", "lavfi", "-i", "sine=duration=5", "-c:a", "libmp3lame", "-b:a", "128k", gSong});

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
