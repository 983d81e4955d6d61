#pragma once

#include "filemenu/folder_walk.h"
#include "input/app_command.h"
#include "ui/form.h"
#include "ui/panel_selection.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <array>

class Clock;
class ImageWidget;
class Panel;
class QLabel;
class TPGradation;

// The folder list screen of one category: the walk through its folders shown ten rows to a page,
// with marks, locked folders and the hand-off to the player or the viewer.
class TFile_Menu : public Form, public PanelSelection, private FolderWalkView {
    Q_DECLARE_TR_FUNCTIONS(TFile_Menu)

public:
    // Media hand-offs open the screens that mediaScreens makes; the workers' waits are timed by
    // clock. Both outlive the screen.
    TFile_Menu(MediaScreenFactory& mediaScreens, const FolderListServices& services);
    ~TFile_Menu() override;

    // Set by the creator before the screen is shown: 1 Video, 2 Music, 3 Picture.
    int category = 1;

    // Handlers.
    void FormCreate() {}
    void FormShow() override;
    void FormKeyDown(int& key, ShiftState shift) override;
    // Up and Down walk the rows, quicker the longer they are held.
    bool ScrollsList(int key) const override { return key == vk::Up || key == vk::Down; }
    void WmInput(const RawInputMessage& message) override;
    void WmAppCommand(int command) override;
    void Panel_Click(Panel& panel) override;

    // Operations.
    void PaintRow(int row) override;
    void PaintPage() override;
    void GoUp();
    // Forgets what the selected file has been to the viewer (its watched mark or resume point).
    void ClearWatchMark();
    void SwitchCategory(int newCategory);
    void ShowMedia(const QByteArray& path, bool viewer, bool list,
                   const QByteArrayList& neighbours = {}) override;

    // State, for the play command and for tests.
    const EntryList& Entries() const { return walk_.Entries(); }
    int Page() const { return walk_.Page(); }
    int PageCount() const { return walk_.PageCount(); }
    int Depth() const { return walk_.Depth(); }
    bool Busy() const { return busy_; }
    // Whether the rows wait for an answer that may come at once before they are painted.
    bool PaintingHeld() const { return paintingHeld_; }
    int CodeProgress() const { return walk_.CodeProgress(); }
    int PlaylistKind() const { return walk_.PlaylistKind(); }
    bool UseViewer() const { return walk_.UseViewer(); }
    const ExtensionList& Extensions() const { return walk_.Extensions(); }
    bool AnyMarked() const { return walk_.AnyMarked(); }
    // Whether a folder is being read (a listing or the play command's walk), the play command's
    // file is being looked for, or registered folders are still being tested for existence: work
    // of the worker threads the screen waits for.
    bool ReadingFolder() const { return walk_.ReadingFolder(); }
    bool TestingFolders() const { return walk_.TestingFolders(); }
    // The entry under the selected row, or null on a row without one.
    const ListEntry* SelectedEntry() const { return walk_.SelectedEntry(); }

    // Components.
    ImageWidget* Image1;
    TPGradation* PG1;
    QLabel* LBL001; // title
    QLabel* LBL002; // [Prev]
    QLabel* LBL003; // [Next]
    QLabel* LBL004; // [Clear] Go to Main
    Panel* PNL001;
    Panel* PNL002;
    Panel* PNL003;
    Panel* PNL004;
    Panel* PNL005;
    Panel* PNL006;
    Panel* PNL007;
    Panel* PNL008;
    Panel* PNL009;
    Panel* PNL010;

protected:
    void FollowNewSize() override;

private:
    // Set-up steps, run at the first show and again by SwitchCategory.
    void SetUp();
    void LayOut();
    std::array<Panel*, FolderWalk::kRows> Rows() const;
    void ShowWatchMark(Panel& panel, const FileEntry& entry);
    // Runs an input's operation under the highlight rule.
    template <typename Operation> void UnderHighlightRule(Operation&& operation);

    // FolderWalkView
    void SelectionMoved(int fromTag) override;
    void HoldPainting(bool hold) override;
    void ReadingShown(qsizetype found) override;
    void ReadingEnded() override;

    MediaScreenFactory& mediaScreens_;
    PlaybackIndex& index_;
    bool busy_ = false;
    bool paintingHeld_ = false;
    QString titleCaption_;
    FolderWalk walk_;
};
