#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Asks the user for a folder: owner window, title, and the folder the browser opens on. Answers the
// chosen folder, or nothing when the user cancelled.
using FolderChooser = std::function<std::optional<QString>(QWidget* owner, const QString& title,
                                                           const QString& startFolder)>;

// Replaces the folder browser (tests cannot run a real file dialog); an empty chooser restores the
// system's folder dialog. Returns the previous chooser.
FolderChooser SetFolderChooser(FolderChooser chooser);

// Shows the folder browser opened on Path (with a separator appended, so the folder itself is
// selected). True when a folder was chosen, which is then in Path; Path is untouched otherwise.
bool BrowseForFolder(QWidget* owner, const QString& title, QString& path, bool newStyle);
