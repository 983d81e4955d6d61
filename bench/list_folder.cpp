// Listing speed of the folder list screen: ListFolderEntries on folders of 10,000 and 100,000
// files under the Video category's extension filter, and one repaint of a page.
//
// Besides the Google Benchmark runs, "bench_list_folder --list-folder DIR [REPEATS]" lists DIR
// with the Video filter REPEATS times and prints the median in milliseconds, and
// "bench_list_folder --make-folder DIR COUNT" fills DIR with COUNT matching files; the script
// bench/list_folder_vs_ls uses both to compare against "ls -1" in the same run.

#include "app/media_screens.h"
#include "app/services.h"
#include "filemenu/file_menu.h"
#include "filemenu/folder_listing.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "settings/store.h"
#include "ui/screen_stack.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
const QString kVideoExtensions = QStringLiteral("mpg,mpeg,avi,wpl");

// Matching files with mixed case, a tenth of them of another kind that the filter drops.
bool MakeFolder(const QByteArray& dir, int count) {
    QDir().mkpath(QFile::decodeName(dir));
    for (int i = 0; i < count; ++i) {
        const char* ext = i % 10 == 0 ? "txt" : (i % 3 == 0 ? "AVI" : "mpg");
        const QByteArray name =
            dir + (i % 2 ? "/Clip " : "/clip ") + QByteArray::number(i) + '.' + ext;
        const int fd = open(name.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0)
            return false;
        close(fd);
    }
    return true;
}

double ListMilliseconds(const QByteArray& dir, const ExtensionList& extensions) {
    const auto start = std::chrono::steady_clock::now();
    const EntryList list = ListFolderEntries(dir, extensions);
    benchmark::DoNotOptimize(list.data());
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

struct Folder {
    QTemporaryDir temp;
    QByteArray path;
    explicit Folder(int count) : path(QFile::encodeName(temp.path()) + "/media") {
        MakeFolder(path, count);
    }
};

void BM_ListFolder(benchmark::State& state) {
    static std::map<int, std::unique_ptr<Folder>> folders;
    auto& folder = folders[state.range(0)];
    if (!folder)
        folder = std::make_unique<Folder>(static_cast<int>(state.range(0)));
    const ExtensionList extensions(kVideoExtensions);
    for (auto _ : state) {
        const EntryList list = ListFolderEntries(folder->path, extensions);
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_ListFolder)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PaintPage(benchmark::State& state) {
    SteadyClock clock;
    SettingsStore store;
    Services services(clock, store);
    MediaScreens screens(services.Screens(nullptr));
    ScreenStack window(services.input);
    window.PlaceFullScreen();
    auto list = std::make_unique<TFile_Menu>(screens, services.FolderLists());
    TFile_Menu& screen = *list;
    screen.category = 1;
    window.Push(std::move(list));
    window.show();
    for (auto _ : state)
        screen.PaintPage();
}
BENCHMARK(BM_PaintPage)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--list-folder") {
        const int repeats = argc >= 4 ? std::max(1, atoi(argv[3])) : 5;
        const ExtensionList extensions(kVideoExtensions);
        std::vector<double> times;
        for (int i = 0; i < repeats; ++i)
            times.push_back(ListMilliseconds(argv[2], extensions));
        std::sort(times.begin(), times.end());
        std::printf("%.1f\n", times[times.size() / 2]);
        return 0;
    }
    if (argc >= 4 && std::string(argv[1]) == "--make-folder")
        return MakeFolder(argv[2], atoi(argv[3])) ? 0 : 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
