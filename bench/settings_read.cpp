// Reads a category of 1,000 registered folders (Title, Folder and Lock of each: 3,000 values)
// through the settings operations, as the settings dialog and the folder list screen do.
#include "settings/general.h"
#include "settings/store.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
// The store the benchmark reads, made once as main() makes the program's.
SettingsStore& Store() {
    static SettingsStore store;
    return store;
}

constexpr int kEntries = 1000;
const QString kVideo = settingskey::Category(QStringLiteral("Video"));

void FillCategory() {
    SettingsTransaction transaction(Store());
    WriteSettingInt(Store(), 0, kVideo, QStringLiteral("ItemCount"), kEntries);
    for (int n = 1; n <= kEntries; ++n) {
        WriteSettingString(Store(), 0, kVideo, EntryValueName("Title", n),
                           QStringLiteral("Folder %1").arg(n));
        WriteSettingString(Store(), 0, kVideo, EntryValueName("Folder", n),
                           QStringLiteral("/srv/media/video/folder-%1").arg(n));
        WriteSettingBool(Store(), 0, kVideo, EntryValueName("Lock", n), n % 3 == 0);
    }
    transaction.Commit();
}

void BM_ReadCategoryOf1000Folders(benchmark::State& state) {
    QTemporaryDir folder;
    Store().UseDatabase(folder.filePath(QStringLiteral("settings.db")));
    FillCategory();
    for (auto _ : state) {
        const int count = ReadFolderEntryCount(Store(), kVideo);
        int locked = 0;
        qsizetype characters = 0;
        for (int n = 1; n <= count; ++n) {
            characters +=
                ReadSettingString(Store(), 0, kVideo, EntryValueName("Title", n), QString()).size();
            characters +=
                ReadSettingString(Store(), 0, kVideo, EntryValueName("Folder", n), QString())
                    .size();
            locked += ReadSettingBool(Store(), 0, kVideo, EntryValueName("Lock", n), false) ? 1 : 0;
        }
        benchmark::DoNotOptimize(characters);
        benchmark::DoNotOptimize(locked);
    }
    state.counters["values"] = 3 * kEntries;
    state.counters["per_value"] =
        benchmark::Counter(double(state.iterations()) * 3 * kEntries,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadCategoryOf1000Folders)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
