#include "filemenu/extension_list.h"

#include <QFile>

#include <algorithm>

namespace {
bool IsSeparatorChar(QChar c) {
    return c.unicode() <= 0x20;
}

bool IsAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Lower case for the comparison.
QByteArray FoldCase(QByteArrayView bytes) {
    if (IsAscii(bytes))
        return bytes.toByteArray().toLower();
    return QFile::encodeName(QString::fromLocal8Bit(bytes).toLower());
}
} // namespace

QStringList SplitExtensionItems(const QString& text) {
    QStringList items;
    const qsizetype n = text.size();
    qsizetype p = 0;
    const auto skipBlanks = [&] {
        while (p < n && IsSeparatorChar(text[p]))
            ++p;
    };
    skipBlanks();
    while (p < n) {
        QString item;
        if (text[p] == QLatin1Char('"')) {
            ++p;
            while (p < n) {
                if (text[p] == QLatin1Char('"')) {
                    if (p + 1 < n && text[p + 1] == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < n && !IsSeparatorChar(text[p]) && text[p] != QLatin1Char(','))
                ++p;
            item = text.mid(start, p - start);
        }
        items.append(item);
        skipBlanks();
        if (p < n && text[p] == QLatin1Char(',')) {
            if (p + 1 == n)
                items.append(QString());
            ++p;
            skipBlanks();
        }
    }
    return items;
}

ExtensionList::ExtensionList(const QString& settingText) {
    for (const QString& item : SplitExtensionItems(settingText))
        items_.append(QLatin1Char('.') + item);
    items_.sort(Qt::CaseInsensitive);
    folded_.reserve(items_.size());
    for (const QString& item : items_)
        folded_.push_back(FoldCase(QFile::encodeName(item)));
    std::sort(folded_.begin(), folded_.end());
}

bool ExtensionList::Contains(QByteArrayView extensionWithDot) const {
    if (extensionWithDot.size() < 2 || extensionWithDot[0] != '.')
        return false;
    // Called for every file of a folder: short ASCII extensions are folded without allocating.
    constexpr qsizetype kShort = 32;
    if (extensionWithDot.size() <= kShort && IsAscii(extensionWithDot)) {
        char folded[kShort];
        std::transform(extensionWithDot.begin(), extensionWithDot.end(), folded, [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
        });
        const QByteArrayView key(folded, extensionWithDot.size());
        return std::binary_search(
            folded_.begin(), folded_.end(), key,
            [](QByteArrayView a, QByteArrayView b) { return a.compare(b) < 0; });
    }
    return std::binary_search(folded_.begin(), folded_.end(), FoldCase(extensionWithDot));
}

bool ExtensionList::MatchesFileName(QByteArrayView fileName) const {
    return Contains(FileExtension(fileName));
}

QByteArrayView FileExtension(QByteArrayView fileName) {
    const qsizetype dot = fileName.lastIndexOf('.');
    if (dot < 0 || dot + 1 == fileName.size())
        return {};
    return fileName.sliced(dot);
}
