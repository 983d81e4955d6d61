#include "filemenu/file_entry.h"

#include "platform/mnemonic.h"

#include <QFile>

namespace {
constexpr StoredColor kFolderColor = 0x00FFFF;
constexpr StoredColor kMissingFolderColor = 0x008080;
constexpr StoredColor kFileColor = 0xFFFFFF;
constexpr StoredColor kMissingFileColor = 0x808080;

bool IsTrimmedChar(QChar c) {
    return c.unicode() <= 0x20;
}
} // namespace

namespace {
QString InBrackets(const QString& text) {
    return QStringLiteral("     < %1 >").arg(text);
}
} // namespace

QString RegisteredFolderText(const QString& title) {
    return InBrackets(EscapeMnemonic(title));
}

QString SubFolderText(const QByteArray& name) {
    if (name == "..")
        return InBrackets(QStringLiteral(" .. "));
    return InBrackets(EscapeMnemonic(QFile::decodeName(name)));
}

QString FileText(const QByteArray& name) {
    const qsizetype dot = name.lastIndexOf('.');
    return EscapeMnemonic(
        QString::fromLocal8Bit(QByteArrayView(name).first(dot < 0 ? name.size() : dot)));
}

QString SortText(const QString& displayText) {
    // Every "&" of a display text was doubled, so each pair stands for one.
    if (!displayText.contains(u'&'))
        return displayText; // shared, not copied: most names have none
    return QString(displayText).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

QByteArray StripTwoComponents(const QByteArray& path) {
    QByteArray rest = path;
    for (int i = 0; i < 2; ++i) {
        const qsizetype slash = rest.lastIndexOf('/');
        rest.truncate(slash < 0 ? 0 : slash);
    }
    return rest.isEmpty() && path.startsWith('/') ? QByteArray("/") : rest;
}

QByteArray JoinPath(const QByteArray& folder, const QByteArray& name) {
    if (folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

QString RowCaption(const ListEntry& item) {
    const QString& text = item.displayText;
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsTrimmedChar(text[begin]))
        ++begin;
    while (end > begin && IsTrimmedChar(text[end - 1]))
        --end;
    const QChar marker = item.entry.marked ? QLatin1Char('*') : QLatin1Char(' ');
    return marker + text.mid(begin, end - begin);
}

StoredColor RowFontColor(const FileEntry& entry) {
    if (entry.directory)
        return entry.exists ? kFolderColor : kMissingFolderColor;
    return entry.exists ? kFileColor : kMissingFileColor;
}
