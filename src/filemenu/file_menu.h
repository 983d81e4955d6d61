#pragma once

#include "filemenu/extension_list.h"
#include "filemenu/file_entry.h"
#include "filemenu/folder_reading.h"
#include "filemenu/media_handoff.h"
#include "filemenu/unlock_code.h"
#include "input/app_command.h"
#include "ui/form.h"
#include "ui/panel_selection.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class ExistenceAnswers;
class ImageWidget;
class Panel;
class QLabel;
class QTimer;
class TPGradation;

// The folder list screen of one category: the registered folders, then the sub-folders and
// matching files of the folder walked into, ten rows to a page, with marks, locked folders and the
// hand-off to the player or the viewer.
class TFile_Menu : public Form, public PanelSelection {
public:
    explicit TFile_Menu(QWidget* parent = nullptr);
    ~TFile_Menu() override;

    // Set by the creator before the screen is shown: 1 Video, 2 Music, 3 Picture.
    int category = 1;

    // Handlers.
    void FormCreate() {}
    void FormShow() override;
    void FormKeyDown(int& key, ShiftState shift) override;
    void WmInput(const RawInputMessage& message) override;
    void WmAppCommand(int command) override;
    void Panel_Click(Panel& panel) override;

    // Operations.
    void ListRegisteredFolders();
    void ListFolder(const QByteArray& folder);
    void ClearEntries();
    void PaintRow(int row);
    void PaintPage();
    void OpenEntry(int tag, bool up);
    void GoUp();
    void ToggleMark();
    void ToggleAllMarks();
    void SwitchCategory(int newCategory);
    void ShowMedia(const QByteArray& path, bool viewer, bool list);
    void PlaySelection(int kind, bool useMarks);

    // State, for the play command and for tests.
    const EntryList& Entries() const { return entries_; }
    int Page() const { return page_; }
    int PageCount() const { return pageCount_; }
    int Depth() const { return depth_; }
    bool Busy() const { return busy_; }
    int CodeProgress() const { return code_.Progress(); }
    int PlaylistKind() const { return playlistKind_; }
    bool UseViewer() const { return useViewer_; }
    const ExtensionList& Extensions() const { return extensions_; }
    bool AnyMarked() const;
    // Whether a folder is being read (a listing or the play command's walk) or registered folders
    // are still being tested for existence: work of the worker threads the screen waits for.
    bool ReadingFolder() const { return reading_ != nullptr; }
    bool TestingFolders() const { return answers_ != nullptr; }
    // The entry under the selected row, or null on a row without one.
    const ListEntry* SelectedEntry() const;

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

private:
    // Set-up steps, run at the first show and again by SwitchCategory.
    void SetUp();
    void LayOut();
    // Runs an input's operation under the highlight rule.
    template <typename Operation> void UnderHighlightRule(Operation&& operation);
    void PressEnter();
    void MoveUp();
    void MoveDown();
    void SetPageCountForListing();
    // Whether target is a folder already on the way from the registered folder down to here.
    bool IsOnTheWay(const std::optional<std::pair<quint64, quint64>>& folder) const;

    // The list and position of a level, kept while the folder below it is being read.
    struct Level {
        EntryList entries;
        int page = 0;
        int pageCount = 1;
        int curTag = 100;
    };
    // What a folder is read for, and what to do with it once it is there.
    struct Reading {
        explicit Reading(std::unique_ptr<FolderReading> reading) : folder(std::move(reading)) {}
        std::unique_ptr<FolderReading> folder;
        std::chrono::steady_clock::time_point start;
        bool forPlay = false;
        int playKind = 0;
        qsizetype playSelected = 0;     // the folder entry the play command was given on
        std::optional<int> reselect;    // list index to select again (going up)
        std::optional<Level> levelLeft; // the level above (walking down), to go back to at once
    };
    void StartReading(Reading reading);
    void FinishReading();
    void ShowListing(Reading reading);
    // Leaves the folder being read for the level above it.
    void LeaveFolderBeingRead();
    void LeaveLevel(Reading& left);
    void AbandonReading();
    void Reselect(int index);
    void HandOn(const std::optional<MediaRequest>& request);
    void WatchWorkers();
    void ApplyExistenceAnswers();

    QString keyPath_;
    int playlistKind_ = 1;
    bool useViewer_ = false;
    UnlockCodeEntry code_;
    ExtensionList extensions_;
    EntryList entries_;
    int depth_ = 0;
    // The list index entered from each depth; grows with the walk, so no nesting overflows it.
    std::vector<int> positionStack_;
    // Device and inode of the folder listed at each depth from 1, to refuse walking into a loop.
    std::vector<std::pair<quint64, quint64>> walk_;
    int page_ = 0;
    int pageCount_ = 1;
    bool busy_ = false;
    QString titleCaption_;
    std::unique_ptr<Reading> reading_;
    std::shared_ptr<ExistenceAnswers> answers_; // of the registered folders listed
    QTimer* watch_;                             // runs while workers are waited for
};
