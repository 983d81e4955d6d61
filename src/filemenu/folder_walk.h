#pragma once

#include "filemenu/category.h"
#include "filemenu/extension_list.h"
#include "filemenu/file_entry.h"
#include "filemenu/folder_existence.h"
#include "filemenu/folder_reading.h"
#include "filemenu/media_handoff.h"
#include "filemenu/unlock_code.h"
#include "platform/background_job.h"

#include <QByteArray>
#include <QObject>

#include <chrono>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

struct CategorySettings;
class Clock;
class PlaybackIndex;
class SettingsStore;
class SleepWatch;

// What every folder list of a run shares, made once in main().
struct FolderListServices {
    Clock& clock;
    SettingsStore& store;
    const ExistenceChecks& checks;
    CategoryLocks& locks;
    PlaybackIndex& index;
    // After a wake the registered folders are tested again: a share or a disk may have gone.
    SleepWatch& sleep;
};

// What the walk needs of the screen that shows it.
class FolderWalkView {
public:
    virtual ~FolderWalkView() = default;
    // Row 0 to 9 of the current page, or the whole page, changed.
    virtual void PaintRow(int row) = 0;
    virtual void PaintPage() = 0;
    // The selection moved while no input was being handled (a folder listed by a worker).
    virtual void SelectionMoved(int fromTag) = 0;
    // Hands a file or a list file to the player or the viewer; a single file comes with the files
    // of its listing (neighbours), a list file without.
    virtual void ShowMedia(const QByteArray& path, bool viewer, bool list,
                           const QByteArrayList& neighbours = {}) = 0;
    // Holds painting while a listing or the folders' tests may still answer at once (no empty page
    // or olive row shown first); released at their answer or after a moment at most.
    virtual void HoldPainting(bool hold) = 0;
    // A folder being read for a while, with the entries found so far; and the end of any reading.
    virtual void ReadingShown(qsizetype found) = 0;
    virtual void ReadingEnded() = 0;
};

// The walk through one category's folders, without widgets: the registered folders (read from
// the store, tested for existence on workers), then the folder walked into, ten rows to a page,
// with the way back up, marks, the unlock code and the play command. Rows are named by their
// tags, 100 to 109, as the screen's panels are; the selected one is the screen's CurTag, which
// the walk moves. What the workers bring arrives as queued calls on the walk's thread.
class FolderWalk {
public:
    static constexpr int kRows = 10;
    static constexpr int kFirstTag = 100;

    // Folders that answer within this are shown at once, without an empty page or olive rows first.
    static constexpr std::chrono::milliseconds kQuickAnswer{50};
    // A folder still being read after this says so in the title row.
    static constexpr std::chrono::milliseconds kShowReadingAfter{300};

    FolderWalk(FolderWalkView& view, int& curTag, const FolderListServices& services);
    ~FolderWalk();

    // Begins at the registered folders of a category (1 Video, 2 Music, 3 Picture), their locked
    // ones hidden, with the category's extensions and unlock code.
    void Start(int category);
    void ListRegisteredFolders();
    // Tests the registered folders listed again, each row changing as its answer comes; at a
    // folder's level (or while one is being read) nothing is done: they are tested on the way back.
    void RecheckRegisteredFolders();
    void ListFolder(const QByteArray& folder);
    void ClearEntries();

    // The list index shown on a row of the current page.
    qsizetype IndexOf(int tag) const;
    // The entry on a row, or null on a row without one.
    const ListEntry* EntryOn(int tag) const;
    const ListEntry* SelectedEntry() const { return EntryOn(curTag_); }

    // Enter: the completed unlock code shows or hides the locked folders; otherwise the selected
    // entry opens.
    void Enter();
    void Digit(QChar digit) { code_.Digit(digit, depth_); }
    void OpenEntry(int tag, bool up);
    void GoUp();
    void ToggleMark();
    void ToggleAllMarks();
    void MoveUp();
    void MoveDown();
    void PreviousPage();
    void NextPage();
    void PlaySelection(int kind, bool useMarks);
    void AbandonReading();

    const EntryList& Entries() const { return entries_; }
    int Page() const { return page_; }
    int PageCount() const { return pageCount_; }
    int Depth() const { return depth_; }
    int CodeProgress() const { return code_.Progress(); }
    int PlaylistKind() const { return playlistKind_; }
    bool UseViewer() const { return useViewer_; }
    const ExtensionList& Extensions() const { return extensions_; }
    bool AnyMarked() const;
    // Whether a folder is being read (a listing or the play command's walk) or the play command's
    // file is being looked for.
    bool ReadingFolder() const { return reading_ != nullptr || playCheck_ != nullptr; }
    bool TestingFolders() const { return unanswered_ > 0; }

private:
    // The list and position of a level, kept while the folder below it is being read.
    struct Level {
        EntryList entries;
        int page = 0;
        int pageCount = 1;
        int curTag = kFirstTag;
    };
    // What a folder is read for, and what to do with it once it is there.
    struct Reading {
        explicit Reading(QByteArray path) : folder(std::move(path)) {}
        QByteArray folder;
        std::unique_ptr<FolderReading> job;
        size_t found = 0;   // entries taken so far
        bool shown = false; // the title row says it is being read
        bool forPlay = false;
        int playKind = 0;
        qsizetype playSelected = 0;     // the folder entry the play command was given on
        std::optional<int> reselect;    // list index to select again (going up)
        std::optional<Level> levelLeft; // the level above (walking down), to go back to at once
    };
    void StartReading(Reading reading);
    void ReadingFound(size_t found);
    void ReadingArrived(FolderReading::Listing listing);
    void ShowListing(Reading& reading, FolderReading::Listing& listing);
    // Leaves the folder being read for the level above it.
    void LeaveFolderBeingRead();
    void LeaveLevel(Reading& left);
    void Reselect(int index);
    void SetPageCountForListing();
    // Whether target is a folder already on the way from the registered folder down to here.
    bool IsOnTheWay(const std::optional<std::pair<quint64, quint64>>& folder) const;
    void HandOn(const std::optional<MediaRequest>& request);
    void FolderAnswered(size_t index, bool exists);
    void HoldPainting();
    void ReleasePainting();

    // Receives the workers' answers; declared first so that it outlives the jobs that post to it.
    QObject inbox_;
    FolderWalkView& view_;
    Clock& clock_;
    SettingsStore& store_;
    const ExistenceChecks& checks_;
    CategoryLocks& locks_;
    int& curTag_;
    int category_ = 1;
    const CategorySettings* settings_ = nullptr;
    int playlistKind_ = 1;
    bool useViewer_ = false;
    UnlockCodeEntry code_;
    ExtensionList extensions_;
    // The files of the listing shown, in its order.
    QByteArrayList FilesShown() const;
    EntryList entries_;
    int depth_ = 0;
    // The list index entered from each depth; grows with the walk, so no nesting overflows it.
    std::vector<int> positionStack_;
    // Device and inode of the folder listed at each depth from 1, to refuse walking into a loop.
    std::vector<std::pair<quint64, quint64>> walk_;
    int page_ = 0;
    int pageCount_ = 1;
    std::unique_ptr<Reading> reading_;
    unsigned readingGeneration_ = 0;
    BackgroundJob existence_; // the tests of the registered folders listed
    size_t unanswered_ = 0;
    // The play command's single file, handed on once a worker has found it (its share may stall).
    struct PlayCheck {
        MediaRequest request;
        BackgroundJob answer;
    };
    std::unique_ptr<PlayCheck> playCheck_;
    bool holding_ = false;
    unsigned holdGeneration_ = 0;
};
