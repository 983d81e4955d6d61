#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

// Splits a comma-separated extension setting into its items: commas separate items; blanks and
// control characters also end an item and are never part of one, unless the item is double-quoted
// ("" inside quotes stands for one quote); an empty item between two commas, or after a comma at
// the very end, is kept.
QStringList SplitExtensionItems(const QString& text);

// The category's extensions, each with its leading dot, sorted; lookups ignore letter case and
// bisect. An empty item (".") is kept but matches no file.
class ExtensionList {
public:
    ExtensionList() = default;
    explicit ExtensionList(const QString& settingText);

    // The items with their dots, in sorted order.
    const QStringList& Items() const { return items_; }
    // Whether a file name (bytes of the file system) has an extension in the list.
    bool MatchesFileName(QByteArrayView fileName) const;
    // Whether an extension, dot included, is in the list.
    bool Contains(QByteArrayView extensionWithDot) const;

private:
    QStringList items_;
    std::vector<QByteArray> folded_; // lower-cased bytes, sorted for bisection
};

// The extension of a file name, dot included; empty when the name has none or ends in a dot.
QByteArrayView FileExtension(QByteArrayView fileName);
