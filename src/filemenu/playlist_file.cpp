#include "filemenu/playlist_file.h"

#include "filemenu/folder_listing.h"
#include "filemenu/text_encoding.h"
#include "platform/byte_path.h"
#include "platform/error.h"
#include "platform/temp_files.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {
const QByteArrayList kWplHead = {
    R"(<?wpl version="1.0"?>)",
    "<smil>",
    "  <head>",
    R"(    <meta name="Generator" content="Microsoft Windows Media Player -- 9.0.0.3128"/>)",
    "    <author/>",
    "    <title>Couchframe PlayList</title>",
    "  </head>",
    "  <body>",
    "    <seq>",
};
const QByteArrayList kWplTail = {"    </seq>", "  </body>", "</smil>"};

// Calls visit(first byte, length) for every character of the text.
template <typename Visit>
void ForEachChar(const QByteArray& text, const CodePage& codePage, Visit&& visit) {
    const char* position = text.constData();
    for (const char* start = position; int length = NextChar(position, codePage); start = position)
        visit(start, length);
}

bool HasLineBreak(const QByteArray& path, const CodePage& codePage) {
    bool found = false;
    ForEachChar(path, codePage, [&](const char* c, int length) {
        found = found || (length == 1 && (*c == '\r' || *c == '\n'));
    });
    return found;
}

// The path as the text of an attribute in double quotes. A path that XML cannot carry as text (a
// byte that is not valid in the code page, a control character) goes as a file URL, whose escapes
// give the playlist reader the same bytes back.
QByteArray XmlAttributeText(const QByteArray& path, const CodePage& codePage) {
    bool valid = true;
    codePage.ToUtf16(path, &valid);
    QByteArray text;
    ForEachChar(path, codePage, [&](const char* c, int length) {
        if (length == 2) {
            text.append(c, 2);
            return;
        }
        switch (*c) {
        case '&':
            text += "&amp;";
            break;
        case '<':
            text += "&lt;";
            break;
        case '>':
            text += "&gt;";
            break;
        case '"':
            text += "&quot;";
            break;
        // Blanks of other kinds would become spaces in an attribute; references keep them.
        case '\t':
            text += "&#9;";
            break;
        case '\n':
            text += "&#10;";
            break;
        case '\r':
            text += "&#13;";
            break;
        default:
            valid = valid && static_cast<unsigned char>(*c) >= 0x20;
            text += *c;
        }
    });
    return valid ? text : FileUrlOfPath(path);
}

[[noreturn]] void RaiseUnknownKind(int kind) {
    throw AppError(QCoreApplication::translate("FileMenu", "Unknown playlist kind %1").arg(kind));
}

int WriteWpl(const QByteArray& file, const QByteArrayList& paths, const CodePage& codePage) {
    QByteArrayList lines = kWplHead;
    for (const QByteArray& path : paths)
        lines.append(R"(      <media src=")" + XmlAttributeText(path, codePage) + R"("/>)");
    lines += kWplTail;
    SaveTextUtf8(file, lines, kKeepLineBreaks, false, codePage);
    return static_cast<int>(paths.size());
}

int WriteOnePathPerLine(const QByteArray& file, const QByteArrayList& paths,
                        const CodePage& codePage) {
    QByteArray text;
    int written = 0;
    for (const QByteArray& path : paths) {
        if (HasLineBreak(path, codePage))
            continue;
        text += path + "\r\n";
        ++written;
    }
    WriteFileAtomically(file, text);
    return written;
}
} // namespace

QByteArray PlaylistExtension(int kind) {
    switch (kind) {
    case kWplPlaylist:
        return ".wpl";
    case kM3uPlaylist:
        return ".m3u";
    case kLstPlaylist:
        return ".lst";
    }
    RaiseUnknownKind(kind);
}

QByteArray ExecutableFileName() {
    if (!QCoreApplication::instance())
        return "couchframe";
    return QFile::encodeName(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

QByteArray PlaylistFileName(const QByteArray& executableName, int kind) {
    const qsizetype dot = executableName.lastIndexOf('.');
    return (dot > 0 ? executableName.left(dot) : executableName) + PlaylistExtension(kind);
}

QByteArray TempFilePath(const QByteArray& name, const CodePage& codePage) {
    QByteArray path = PrivateTempDirectory();
    if (!EndsWithChar(path, '/', codePage))
        path += '/';
    return path + name;
}

void SortPaths(QByteArrayList& paths, const CodePage& codePage) {
    const QCollator collator = FolderCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(static_cast<size_t>(paths.size()));
    for (const QByteArray& path : paths)
        keys.push_back(collator.sortKey(codePage.ToUtf16(path)));
    std::vector<qsizetype> order(keys.size());
    std::iota(order.begin(), order.end(), qsizetype{0});
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]) < 0;
    });
    QByteArrayList sorted;
    sorted.reserve(paths.size());
    for (qsizetype i : order)
        sorted.append(paths[i]);
    paths = std::move(sorted);
}

int WritePlaylist(const QByteArray& file, int kind, const QByteArrayList& paths,
                  const CodePage& codePage) {
    switch (kind) {
    case kWplPlaylist:
        return WriteWpl(file, paths, codePage);
    case kM3uPlaylist:
    case kLstPlaylist:
        return WriteOnePathPerLine(file, paths, codePage);
    }
    RaiseUnknownKind(kind);
}
