#pragma once

#include "platform/colors.h"

#include <QByteArray>
#include <QString>

#include <vector>

// One entry of the folder list. Paths and names are bytes of the file system, kept byte for byte;
// they become text only for display and sorting.
struct FileEntry {
    QByteArray path;
    QByteArray name;
    bool directory = false;
    bool exists = true;
    bool marked = false;
};

// An entry with its display text (the string of the list and the sort key of a folder listing).
struct ListEntry {
    QString displayText;
    FileEntry entry;
};

using EntryList = std::vector<ListEntry>;

// Display texts are shown with "&" as the mnemonic prefix, so every "&" of a name or title is
// doubled in them: a name shows as it is.
// "     < %s >" around a registered folder's title.
QString RegisteredFolderText(const QString& title);
// A sub-folder's name (".." shown as " .. ") inside the same brackets.
QString SubFolderText(const QByteArray& name);
// A file's name without its extension.
QString FileText(const QByteArray& name);
// What a display text sorts by: the text with the names' own "&", undoubled.
QString SortText(const QString& displayText);
// The path with its last two components removed, without a trailing separator ("/" for the root).
QByteArray StripTwoComponents(const QByteArray& path);
// Joins a folder and a name with one separator.
QByteArray JoinPath(const QByteArray& folder, const QByteArray& name);

// "*" or " " followed by the display text without leading and trailing blanks and control
// characters.
QString RowCaption(const ListEntry& item);
// The row's font colour: yellow / olive for folders, white / grey for files, by the exists flag.
StoredColor RowFontColor(const FileEntry& entry);
