#include "player/sidecar_subtitles.h"

#include "platform/byte_path.h"
#include "player/language_code.h"

#include <QByteArrayList>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* const kSubtitleExtensions[] = {"srt", "ass", "ssa", "vtt", "sub", "sup"};
// Sub-folders read after the video's own, in this order.
const char* const kSubtitleFolders[] = {"subs", "subtitles"};

enum class Kind { Other, File, Folder };

struct Entry {
    QByteArray name;
    Kind kind = Kind::Other;
};

// Letter case is ignored for ASCII only (as Qt 6 compares bytes): "\xC9" and "\xE9" are other
// bytes in a name that is not UTF-8, whatever they mean in Latin-1.
bool SameAsciiCase(QByteArrayView a, QByteArrayView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The name without its extension; the whole name when it has none (or is a dot file).
QByteArrayView StemOf(QByteArrayView name) {
    const qsizetype dot = name.lastIndexOf('.');
    return dot > 0 ? name.first(dot) : name;
}

QByteArrayView ExtensionOf(QByteArrayView name) {
    const qsizetype dot = name.lastIndexOf('.');
    return dot > 0 ? name.sliced(dot + 1) : QByteArrayView();
}

bool IsSubtitleName(QByteArrayView name) {
    const QByteArrayView extension = ExtensionOf(name);
    return std::any_of(std::begin(kSubtitleExtensions), std::end(kSubtitleExtensions),
                       [&](const char* known) { return SameAsciiCase(extension, known); });
}

// The dot-separated tags after the video's name ("en", "forced" of "film.en.forced"); nothing
// when the stem is not the video's name followed by a dot ("film2.en" is another video's).
std::optional<QByteArrayList> TagsAfter(QByteArrayView stem, QByteArrayView base) {
    if (stem.size() < base.size() || !SameAsciiCase(stem.first(base.size()), base))
        return std::nullopt;
    if (stem.size() == base.size())
        return QByteArrayList();
    if (stem[base.size()] != '.')
        return std::nullopt;
    return stem.sliced(base.size() + 1).toByteArray().split('.');
}

struct NameTags {
    QString language;
    bool forced = false;
    bool hearingImpaired = false;
    QStringList other; // tags that name neither a language nor a flag ("Director")
};

// A tag's language, by code or English name; rips number their files ("2_English").
QString LanguageOfTag(QString tag) {
    qsizetype digits = 0;
    while (digits < tag.size() && tag[digits].isDigit())
        ++digits;
    if (digits > 0 && digits < tag.size() && tag[digits] == u'_')
        tag.remove(0, digits + 1);
    return IsLanguageCode(tag) ? NormalLanguageCode(tag) : LanguageCodeOfName(tag);
}

NameTags ReadTags(const QByteArrayList& tags) {
    NameTags read;
    bool hi = false;
    for (const QByteArray& tag : tags) {
        if (tag.isEmpty())
            continue;
        const QString text = QFile::decodeName(tag);
        const QString lower = text.toLower();
        // Flags first: "sdh" is also a language code (Southern Kurdish).
        if (lower == QLatin1String("forced")) {
            read.forced = true;
        } else if (lower == QLatin1String("sdh") || lower == QLatin1String("cc")) {
            read.hearingImpaired = true;
        } else if (lower == QLatin1String("hi")) {
            hi = true;
        } else if (const QString language =
                       read.language.isEmpty() ? LanguageOfTag(text) : QString();
                   !language.isEmpty()) {
            read.language = language;
        } else {
            read.other << text;
        }
    }
    // "hi" is Hindi's code as well: beside another language it is the flag ("film.en.hi.srt"),
    // alone the language ("film.hi.srt"), as subtitle downloaders name them.
    if (hi && read.language.isEmpty())
        read.language = NormalLanguageCode(QStringLiteral("hi"));
    else if (hi)
        read.hearingImpaired = true;
    return read;
}

QString TitleOf(const NameTags& tags) {
    const QString other = tags.other.join(u'.');
    const QString language = EnglishLanguageName(tags.language);
    QString title = language.isEmpty() ? other : language;
    if (tags.hearingImpaired)
        title += title.isEmpty() ? QStringLiteral("SDH") : QStringLiteral(" SDH");
    if (tags.forced)
        title += title.isEmpty() ? QStringLiteral("Forced") : QStringLiteral(" (forced)");
    if (!language.isEmpty() && !other.isEmpty())
        title += QStringLiteral(" — ") + other;
    return title;
}

Kind KindOf(int folderFd, const dirent& entry) {
    if (entry.d_type == DT_REG)
        return Kind::File;
    if (entry.d_type == DT_DIR)
        return Kind::Folder;
    // Links are followed; some file systems do not say the kind at all.
    struct stat st {};
    if ((entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) ||
        ::fstatat(folderFd, entry.d_name, &st, 0) != 0)
        return Kind::Other;
    return S_ISREG(st.st_mode) ? Kind::File : S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
}

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

// The folder's entries that the filter wants, with their kinds, in byte order of the names;
// nothing when the folder cannot be read.
template <typename Wanted>
std::vector<Entry> ReadFolder(const QByteArray& folder, const Wanted& wanted) {
    std::vector<Entry> entries;
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return entries;
    const std::unique_ptr<DIR, FolderCloser> listing(::fdopendir(fd));
    if (!listing) {
        ::close(fd);
        return entries;
    }
    while (const dirent* entry = ::readdir(listing.get())) {
        const QByteArrayView name(entry->d_name);
        if (name == "." || name == ".." || !wanted(name))
            continue;
        entries.push_back({name.toByteArray(), KindOf(::dirfd(listing.get()), *entry)});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return entries;
}

SidecarSubtitle SubtitleOf(QByteArray path, const NameTags& tags) {
    return {std::move(path), tags.language, tags.forced, tags.hearingImpaired, TitleOf(tags)};
}
} // namespace

std::vector<SidecarSubtitle> FindSidecarSubtitles(const QByteArray& videoPath) {
    std::vector<SidecarSubtitle> found;
    // A NUL byte would end the path early at the system call.
    if (videoPath.contains('\0'))
        return found;
    const QByteArray folder = FolderOfPath(videoPath);
    const QByteArray videoName = videoPath.sliced(folder.size());
    const QByteArrayView base = StemOf(videoName);
    if (base.isEmpty())
        return found;
    const QByteArray readable = folder.isEmpty() ? QByteArray("./") : folder;

    const std::vector<Entry> beside = ReadFolder(readable, [&](QByteArrayView name) {
        return TagsAfter(StemOf(name), base) ||
               std::any_of(std::begin(kSubtitleFolders), std::end(kSubtitleFolders),
                           [&](const char* known) { return SameAsciiCase(name, known); });
    });
    // Other items whose names continue the video's ("film.Extended.mkv" beside "film.mkv") own
    // the subtitles named after them; a language or flag after the name ("film.en.txt") makes
    // no other item.
    QByteArrayList others;
    for (const Entry& entry : beside) {
        const QByteArrayView extension = ExtensionOf(entry.name);
        if (entry.kind != Kind::File || extension.isEmpty() || IsSubtitleName(entry.name) ||
            SameAsciiCase(extension, "idx"))
            continue;
        if (const auto tags = TagsAfter(StemOf(entry.name), base);
            tags && !ReadTags(*tags).other.isEmpty())
            others << StemOf(entry.name).toByteArray();
    }
    const auto ofAnotherItem = [&](QByteArrayView stem) {
        return std::any_of(others.cbegin(), others.cend(), [&](const QByteArray& other) {
            return TagsAfter(stem, other).has_value();
        });
    };

    for (const Entry& entry : beside) {
        if (entry.kind != Kind::File || entry.name == videoName || !IsSubtitleName(entry.name))
            continue;
        const QByteArrayView stem = StemOf(entry.name);
        if (const auto tags = TagsAfter(stem, base); tags && !ofAnotherItem(stem))
            found.push_back(SubtitleOf(folder + entry.name, ReadTags(*tags)));
    }

    for (const char* folderName : kSubtitleFolders) {
        for (const Entry& subFolder : beside) {
            if (subFolder.kind != Kind::Folder || !SameAsciiCase(subFolder.name, folderName))
                continue;
            const QByteArray inside = folder + subFolder.name + '/';
            const QByteArray readableInside = readable + subFolder.name + '/';
            const std::vector<Entry> files = ReadFolder(readableInside, IsSubtitleName);
            for (const Entry& entry : files) {
                if (entry.kind != Kind::File)
                    continue;
                const QByteArrayView stem = StemOf(entry.name);
                if (const auto tags = TagsAfter(stem, base)) {
                    if (!ofAnotherItem(stem))
                        found.push_back(SubtitleOf(inside + entry.name, ReadTags(*tags)));
                    continue;
                }
                // Named by language and flags alone ("English.srt", "eng.forced.srt").
                const NameTags tags = ReadTags(stem.toByteArray().split('.'));
                if (tags.other.isEmpty() &&
                    (!tags.language.isEmpty() || tags.forced || tags.hearingImpaired))
                    found.push_back(SubtitleOf(inside + entry.name, tags));
            }
        }
    }
    return found;
}
