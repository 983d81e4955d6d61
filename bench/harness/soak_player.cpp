// Long-running memory check of the player screen, driven by bench/soak: a playlist looped for a
// given time, or the screen opened and closed many times. Prints one line of memory figures per
// sample; the script fits the slope. Runs on the offscreen platform with mpv's null outputs.
//
//   soak_player play PLAYLIST CATEGORY SECONDS INTERVAL
//   soak_player open-close COUNT CATEGORY FILE...
#include "app/services.h"
#include "platform/application.h"
#include "platform/heap_tuning.h"
#include "platform/keys.h"
#include "platform/message_box.h"
#include "player/media_player_control.h"
#include "player/mpv_engine.h"
#include "player/player_form.h"
#include "settings/store.h"
#include "ui/form.h"
#include "ui/screen_stack.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>

namespace {
// A figure of /proc/self/status in kB ("VmRSS:"), or -1.
long StatusKb(const QByteArray& status, const char* name) {
    const qsizetype at = status.indexOf(name);
    if (at < 0)
        return -1;
    return std::strtol(status.constData() + at + std::strlen(name), nullptr, 10);
}

qsizetype Entries(const char* folder) {
    return QDir(QString::fromLatin1(folder))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
        .size();
}

// One line for the script: the process's resident memory and where the C library's heap stands.
void Sample(const char* label, qint64 index, const QElapsedTimer& since, qint64 items,
            qint64 frames) {
    QFile file(QStringLiteral("/proc/self/status"));
    file.open(QIODevice::ReadOnly);
    const QByteArray status = file.readAll();
    const struct mallinfo2 heap = mallinfo2();
    std::printf("%s %lld t=%.1f rss_kb=%ld anon_kb=%ld file_kb=%ld heap_sbrk_kb=%zu "
                "heap_mmap_kb=%zu heap_used_kb=%zu heap_free_kb=%zu threads=%lld fds=%lld "
                "items=%lld frames=%lld\n",
                label, static_cast<long long>(index), since.elapsed() / 1000.0,
                StatusKb(status, "VmRSS:"), StatusKb(status, "RssAnon:"),
                StatusKb(status, "RssFile:"), heap.arena / 1024, heap.hblkhd / 1024,
                (heap.uordblks + heap.hblkhd) / 1024, heap.fordblks / 1024,
                static_cast<long long>(Entries("/proc/self/task")),
                static_cast<long long>(Entries("/proc/self/fd")), static_cast<long long>(items),
                static_cast<long long>(frames));
    std::fflush(stdout);
}

// The screen the player stands on, as the folder list stands under it in the program.
class Base : public Form {};

// Runs the event loop until the condition holds or the time is up; whether it held.
template <typename Condition> bool WaitFor(Condition done, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return done();
}

int Play(ScreenStack& window, const ScreenServices& services, const QByteArray& playlist,
         int category, int seconds, int interval) {
    auto screen = CreatePlayerScreen(playlist, category, services, {});
    QPointer<TPlayer_Form> form = screen.get();
    MediaEngine& engine = form->WMP1->Engine();
    qint64 items = 0;
    qint64 frames = 0;
    QObject::connect(&engine, &MediaEngine::itemChanged, [&items] { ++items; });
    QObject::connect(&engine, &MediaEngine::frameChanged, [&frames] { ++frames; });
    window.Push(std::move(screen));
    if (!WaitFor([&] { return items > 0; }, 20000)) {
        std::fprintf(stderr, "soak_player: the playlist did not start\n");
        return 1;
    }
    // Loop on, as the owner turns it on with Enter on the Loop panel.
    form->PressKey(vk::Return);
    QElapsedTimer since;
    since.start();
    Sample("minute", 0, since, items, frames);
    for (int sample = 1; sample * interval <= seconds; ++sample) {
        WaitFor([&] { return since.elapsed() >= qint64(sample) * interval * 1000; },
                interval * 1000 + 1000);
        Sample("minute", sample, since, items, frames);
    }
    if (!form)
        return 1;
    form->PressKey(vk::Escape);
    WaitFor([&] { return form.isNull(); }, 5000);
    return items > 1 ? 0 : 1;
}

int OpenClose(ScreenStack& window, const ScreenServices& services, const QByteArrayList& files,
              int category, int count) {
    QElapsedTimer since;
    since.start();
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        auto screen = CreatePlayerScreen(files[i % files.size()], category, services, files);
        QPointer<TPlayer_Form> form = screen.get();
        bool restarted = false;
        QObject::connect(static_cast<MpvEngine*>(&form->WMP1->Engine()),
                         &MpvEngine::playbackRestarted, [&restarted] { restarted = true; });
        window.Push(std::move(screen));
        if (!WaitFor([&] { return restarted; }, 20000))
            ++failures;
        // A little of it played, its tag and cover read, then closed with Esc as the owner does.
        WaitFor([] { return false; }, 300);
        if (form)
            form->PressKey(vk::Escape);
        WaitFor([&] { return form.isNull(); }, 5000);
        if (i == 0 || (i + 1) % 10 == 0) {
            // mpv is shut down on a thread of its own: let it finish before counting.
            WaitFor([] { return false; }, 500);
            Sample("open", i + 1, since, i + 1 - failures, 0);
        }
    }
    if (failures > 0)
        std::fprintf(stderr, "soak_player: %d of %d openings did not start playing\n", failures,
                     count);
    return failures > count / 10 ? 1 : 0;
}
} // namespace

int main(int argc, char** argv) {
    const bool play = argc == 6 && std::strcmp(argv[1], "play") == 0;
    const bool openClose = argc >= 5 && std::strcmp(argv[1], "open-close") == 0;
    if (!play && !openClose) {
        std::fprintf(stderr, "usage: soak_player play PLAYLIST CATEGORY SECONDS INTERVAL\n"
                             "       soak_player open-close COUNT CATEGORY FILE...\n");
        return 2;
    }
    // As the program's main does; COUCHFRAME_SOAK_DEFAULT_HEAP=1 leaves glibc's default, to
    // compare.
    if (qEnvironmentVariableIsEmpty("COUCHFRAME_SOAK_DEFAULT_HEAP"))
        KeepLargeBlocksMapped();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir sandbox;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(sandbox.path()));
    Application app(argc, argv);
    const Seam<MpvOptions>::Override nullOutputs(MpvEngine::DefaultOptionsSeam(),
                                                 MpvOptions{QStringLiteral("null"), true});
    int messages = 0;
    const Seam<MessageSink>::Override printed(
        MessageSeam(), [&messages](MessageKind, const QString& text) {
            ++messages;
            std::fprintf(stderr, "soak_player: message: %s\n", qUtf8Printable(text));
        });

    SteadyClock clock;
    SettingsStore store;
    Services services(clock, store);
    ScreenStack window(services.input);
    const QScreen* screen = QGuiApplication::primaryScreen();
    window.setGeometry(screen ? screen->geometry() : QRect(0, 0, 1920, 1080));
    window.show();
    window.Push(std::make_unique<Base>());

    int result = 0;
    if (play) {
        result = Play(window, services.Screens(nullptr), QFile::encodeName(argv[2]),
                      std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    } else {
        QByteArrayList files;
        for (int i = 4; i < argc; ++i)
            files.append(QFile::encodeName(QString::fromLocal8Bit(argv[i])));
        result = OpenClose(window, services.Screens(nullptr), files, std::atoi(argv[3]),
                           std::atoi(argv[2]));
    }
    std::printf("messages %d\n", messages);
    return result;
}
