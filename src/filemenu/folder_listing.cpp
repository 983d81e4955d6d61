#include "filemenu/folder_listing.h"

#include <QLocale>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <numeric>
#include <strings.h>
#include <sys/stat.h>
#include <thread>

namespace {
enum class Kind { Skip, Folder, File };

// What an entry is, looking at the file system only when the directory entry does not say.
Kind KindOf(int dirFd, const dirent& entry) {
    switch (entry.d_type) {
    case DT_DIR:
        return Kind::Folder;
    case DT_REG:
        return Kind::File;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default: // sockets, FIFOs and device nodes are system entries
        return Kind::Skip;
    }
    struct stat info {};
    if (fstatat(dirFd, entry.d_name, &info, 0) != 0)
        return Kind::Skip;
    if (S_ISDIR(info.st_mode))
        return Kind::Folder;
    return S_ISREG(info.st_mode) ? Kind::File : Kind::Skip;
}

// Folders that Windows keeps on every disk it has used, hidden and system there: a USB stick or an
// old disk shows them otherwise. (Older names such as "Recycled" are also album titles.)
constexpr const char* kWindowsSystemFolders[] = {"$RECYCLE.BIN", "System Volume Information"};

bool IsHidden(const char* name) {
    if (name[0] == '.')
        return !(name[1] == '.' && name[2] == '\0');
    for (const char* folder : kWindowsSystemFolders)
        if (strcasecmp(name, folder) == 0)
            return true;
    return false;
}

// Order of entries by sort key; equal keys by name bytes, then by enumeration order.
struct ByKey {
    const EntryList& entries;
    const std::vector<QCollatorSortKey>& keys;
    bool operator()(size_t a, size_t b) const {
        const int c = keys[a].compare(keys[b]);
        if (c != 0)
            return c < 0;
        const int byName = entries[a].entry.name.compare(entries[b].entry.name);
        return byName != 0 ? byName < 0 : a < b;
    }
};

// Sorts order[begin, end) by the entries' sort keys, making the keys with a collator of its own
// (one per thread).
void SortRange(const EntryList& entries, std::vector<QCollatorSortKey>& keys,
               std::vector<size_t>& order, size_t begin, size_t end) {
    const QCollator collator = FolderCollator();
    for (size_t i = begin; i < end; ++i)
        keys[i] = collator.sortKey(SortText(entries[i].displayText));
    std::sort(order.begin() + begin, order.begin() + end, ByKey{entries, keys});
}
} // namespace

QCollator FolderCollator() {
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Numbers compare as numbers: "Episode 2" before "Episode 10", as every peer sorts a season.
    collator.setNumericMode(true);
    return collator;
}

void SortByDisplayText(EntryList& entries) {
    const size_t n = entries.size();
    if (n < 2)
        return;
    const QCollatorSortKey empty = FolderCollator().sortKey(QString());
    std::vector<QCollatorSortKey> keys(n, empty);
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    // Sort keys are the costly part of a large folder: each half is keyed and sorted on its own
    // thread, then the halves are merged.
    constexpr size_t kParallelFrom = 4096;
    if (n >= kParallelFrom && std::thread::hardware_concurrency() > 1) {
        const size_t half = n / 2;
        std::thread helper(SortRange, std::cref(entries), std::ref(keys), std::ref(order), half, n);
        SortRange(entries, keys, order, 0, half);
        helper.join();
        std::vector<size_t> merged(n);
        std::merge(order.begin(), order.begin() + half, order.begin() + half, order.end(),
                   merged.begin(), ByKey{entries, keys});
        order = std::move(merged);
    } else {
        SortRange(entries, keys, order, 0, n);
    }
    EntryList sorted;
    sorted.reserve(n);
    for (size_t i : order)
        sorted.push_back(std::move(entries[i]));
    entries = std::move(sorted);
}

EntryList ListFolderEntries(const QByteArray& folder, const ExtensionList& extensions,
                            const std::function<void(size_t)>& taken) {
    EntryList entries;
    DIR* dir = opendir(folder.constData());
    if (!dir)
        return entries;
    const int dirFd = dirfd(dir);
    const bool root = folder == "/";
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if ((name[0] == '.' && name[1] == '\0') || IsHidden(name))
            continue;
        const QByteArrayView nameView(name);
        const bool up = nameView == "..";
        if (up && root)
            continue;
        // A file name without a listed extension is dropped before anything else is looked at.
        if (entry->d_type == DT_REG && !extensions.MatchesFileName(nameView))
            continue;
        const Kind kind = up ? Kind::Folder : KindOf(dirFd, *entry);
        if (kind == Kind::Skip || (kind == Kind::File && entry->d_type != DT_REG &&
                                   !extensions.MatchesFileName(nameView)))
            continue;
        const QByteArray nameBytes = nameView.toByteArray();
        ListEntry item;
        item.entry.path = JoinPath(folder, nameBytes);
        item.entry.name = nameBytes;
        item.entry.directory = kind == Kind::Folder;
        item.displayText = item.entry.directory ? SubFolderText(nameBytes) : FileText(nameBytes);
        entries.push_back(std::move(item));
        if (taken)
            taken(entries.size());
    }
    closedir(dir);
    SortByDisplayText(entries);
    return entries;
}
