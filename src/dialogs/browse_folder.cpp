#include "dialogs/browse_folder.h"

#include <QFileDialog>

namespace {

std::optional<QString> ChooseWithFileDialog(QWidget* owner, const QString& title,
                                            const QString& startFolder) {
    const QString chosen =
        QFileDialog::getExistingDirectory(owner, title, startFolder, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

} // namespace

Seam<FolderChooser>& FolderChooserSeam() {
    static Seam<FolderChooser> seam;
    return seam;
}

// Qt's folder dialog always offers an edit box in its one style, so both styles show the same
// dialog.
bool BrowseForFolder(QWidget* owner, const QString& title, QString& path,
                     [[maybe_unused]] bool newStyle) {
    QString startFolder = path;
    if (!startFolder.endsWith(QLatin1Char('/')))
        startFolder += QLatin1Char('/');
    const auto& standIn = FolderChooserSeam().StandIn();
    const std::optional<QString> chosen = standIn ? (*standIn)(owner, title, startFolder)
                                                  : ChooseWithFileDialog(owner, title, startFolder);
    if (!chosen)
        return false;
    path = *chosen;
    return true;
}
