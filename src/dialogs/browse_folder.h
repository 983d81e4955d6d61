#pragma once

#include "platform/seam.h"

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Asks the user for a folder: owner window, title, and the folder the browser opens on. Answers the
// chosen folder, or nothing when the user cancelled.
using FolderChooser = std::function<std::optional<QString>(QWidget* owner, const QString& title,
                                                           const QString& startFolder)>;

// A stand-in chooser in the seam answers instead of the system's folder dialog, which cannot run
// headless.
Seam<FolderChooser>& FolderChooserSeam();

// Shows the folder browser opened on Path (with a separator appended, so the folder itself is
// selected). True when a folder was chosen, which is then in Path; Path is untouched otherwise.
bool BrowseForFolder(QWidget* owner, const QString& title, QString& path, bool newStyle);
