#include "filemenu/folder_walk.h"

#include "filemenu/category.h"
#include "filemenu/folder_existence.h"
#include "filemenu/folder_listing.h"
#include "filemenu/play_selection.h"
#include "platform/byte_path.h"
#include "platform/clock.h"
#include "platform/sleep_watch.h"
#include "settings/general.h"

#include <QFile>

#include <algorithm>

FolderWalk::FolderWalk(FolderWalkView& view, int& curTag, const FolderListServices& services)
    : view_(view), clock_(services.clock), store_(services.store), checks_(services.checks),
      locks_(services.locks), curTag_(curTag) {
    QObject::connect(&services.sleep, &SleepWatch::wokeUp, &inbox_,
                     [this] { RecheckRegisteredFolders(); });
}

FolderWalk::~FolderWalk() = default;

void FolderWalk::Start(int category) {
    depth_ = 0;
    positionStack_.clear();
    walk_.clear();
    locks_.SetLockState(category, true);
    const CategoryInfo& info = CategoryTable(category);
    category_ = category;
    settings_ = &CategorySchema(category);
    playlistKind_ = info.playlistKind;
    useViewer_ = info.useViewer;
    // The list is read again below, falling back on this first reading.
    TextSetting extensions = settings_->extensions;
    extensions.defaultValue = ReadSetting(store_, extensions);
    // Digits typed toward another category's code never count toward this one's.
    code_.SetCode(ReadSetting(store_, settings_->unlockCode));

    ClearEntries();
    extensions_ = ExtensionList(ReadSetting(store_, extensions));
    ListRegisteredFolders();
}

void FolderWalk::ListRegisteredFolders() {
    const int count = ReadFolderEntryCount(store_, settings_->keyPath);
    const bool locked = locks_.LockState(category_);
    std::vector<QByteArray> paths;
    for (int i = 1; i <= count; ++i) {
        const QString folder = ReadSetting(store_, settings_->Folder(i));
        const QString title = ReadSetting(store_, settings_->Title(i));
        if (locked && ReadSetting(store_, settings_->Lock(i)))
            continue;
        ListEntry item;
        item.entry.path = QFile::encodeName(folder);
        item.entry.name = LastPathComponent(item.entry.path);
        item.entry.directory = true;
        item.entry.exists = false; // until its test answers
        item.displayText = RegisteredFolderText(title);
        paths.push_back(item.entry.path);
        entries_.push_back(std::move(item));
    }
    pageCount_ = static_cast<int>(entries_.size() / kRows) + 1;
    page_ = 0;
    // A share that hangs must not freeze the screen: its folder shows as missing until it answers,
    // and turns yellow then.
    unanswered_ = paths.size();
    existence_ = checks_.folders->Ask(
        &inbox_, paths, [this](size_t index, bool exists) { FolderAnswered(index, exists); });
    if (unanswered_ > 0)
        HoldPainting();
}

void FolderWalk::RecheckRegisteredFolders() {
    if (depth_ != 0 || reading_ || settings_ == nullptr)
        return;
    std::vector<QByteArray> paths;
    for (const ListEntry& item : entries_)
        paths.push_back(item.entry.path);
    // Rows keep what they showed until their answer: no flash of olive for folders still there.
    unanswered_ = paths.size();
    existence_ = checks_.folders->Ask(
        &inbox_, paths, [this](size_t index, bool exists) { FolderAnswered(index, exists); });
}

void FolderWalk::FolderAnswered(size_t index, bool exists) {
    if (index < entries_.size() && entries_[index].entry.exists != exists) {
        entries_[index].entry.exists = exists;
        if (index / kRows == static_cast<size_t>(page_))
            view_.PaintRow(static_cast<int>(index % kRows));
    }
    if (--unanswered_ == 0) {
        existence_.Abandon();
        ReleasePainting();
    }
}

void FolderWalk::HoldPainting() {
    const unsigned generation = ++holdGeneration_;
    if (!holding_) {
        holding_ = true;
        view_.HoldPainting(true);
    }
    clock_.CallAfter(kQuickAnswer, &inbox_, [this, generation] {
        if (generation == holdGeneration_)
            ReleasePainting();
    });
}

void FolderWalk::ReleasePainting() {
    if (!holding_)
        return;
    holding_ = false;
    view_.HoldPainting(false);
}

void FolderWalk::ListFolder(const QByteArray& folder) {
    StartReading(Reading(folder));
}

void FolderWalk::StartReading(Reading reading) {
    AbandonReading();
    reading_ = std::make_unique<Reading>(std::move(reading));
    if (!reading_->forPlay) {
        page_ = 0;
        pageCount_ = 1; // neither [Prev] nor [Next] while the list is not there
        curTag_ = kFirstTag;
        HoldPainting();
    }
    // An abandoned reading answers nothing: whatever arrives is the current reading's.
    reading_->job = std::make_unique<FolderReading>(
        &inbox_, reading_->folder, extensions_, [this](size_t found) { ReadingFound(found); },
        [this](FolderReading::Listing listing) { ReadingArrived(std::move(listing)); });
    clock_.CallAfter(kShowReadingAfter, &inbox_, [this, generation = ++readingGeneration_] {
        if (!reading_ || generation != readingGeneration_)
            return;
        reading_->shown = true;
        view_.ReadingShown(static_cast<qsizetype>(reading_->found));
    });
}

void FolderWalk::ReadingFound(size_t found) {
    reading_->found = found;
    if (reading_->shown)
        view_.ReadingShown(static_cast<qsizetype>(found));
}

void FolderWalk::ReadingArrived(FolderReading::Listing listing) {
    const std::unique_ptr<Reading> done = std::move(reading_);
    view_.ReadingEnded();
    if (done->forPlay) {
        HandOn(::PlaySelection(done->playKind, false,
                               PlaySource{entries_, done->playSelected, extensions_, category_,
                                          useViewer_, &listing.entries}));
        return;
    }
    const int before = curTag_;
    ShowListing(*done, listing);
    view_.PaintPage();
    view_.SelectionMoved(before);
    ReleasePainting();
}

void FolderWalk::ShowListing(Reading& reading, FolderReading::Listing& listing) {
    if (reading.levelLeft) {
        // A folder already on the way (a link back to it) would only lead round in a circle.
        if (IsOnTheWay(listing.identity)) {
            LeaveLevel(reading);
            return;
        }
        walk_.push_back(listing.identity.value_or(std::pair<quint64, quint64>{}));
    }
    entries_ = std::move(listing.entries);
    SetPageCountForListing();
    page_ = 0;
    curTag_ = kFirstTag;
    if (reading.reselect)
        Reselect(*reading.reselect);
}

void FolderWalk::Reselect(int index) {
    page_ = index / kRows;
    curTag_ = kFirstTag + index % kRows;
}

void FolderWalk::LeaveFolderBeingRead() {
    const std::unique_ptr<Reading> left = std::move(reading_);
    view_.ReadingEnded();
    LeaveLevel(*left);
    view_.PaintPage();
}

void FolderWalk::LeaveLevel(Reading& left) {
    --depth_;
    walk_.resize(depth_);
    if (depth_ == 0) {
        ListRegisteredFolders();
        Reselect(positionStack_[0]);
    } else if (left.levelLeft) {
        // Walking down: the level above is still at hand, so leaving never waits for the share.
        entries_ = std::move(left.levelLeft->entries);
        page_ = left.levelLeft->page;
        pageCount_ = left.levelLeft->pageCount;
        curTag_ = left.levelLeft->curTag;
    } else {
        Reading up(StripTwoComponents(JoinPath(left.folder, "..")));
        up.reselect = positionStack_[depth_];
        StartReading(std::move(up));
    }
}

void FolderWalk::AbandonReading() {
    playCheck_.reset();
    if (!reading_)
        return;
    reading_.reset();
    view_.ReadingEnded();
}

void FolderWalk::SetPageCountForListing() {
    const auto count = static_cast<int>(entries_.size());
    pageCount_ = count / kRows + (count % kRows != 0 ? 1 : 0);
}

void FolderWalk::ClearEntries() {
    AbandonReading();
    existence_.Abandon();
    unanswered_ = 0;
    entries_.clear();
}

qsizetype FolderWalk::IndexOf(int tag) const {
    return static_cast<qsizetype>(page_) * kRows + (tag - kFirstTag);
}

const ListEntry* FolderWalk::EntryOn(int tag) const {
    const qsizetype i = IndexOf(tag);
    return i >= 0 && i < static_cast<qsizetype>(entries_.size()) ? &entries_[static_cast<size_t>(i)]
                                                                 : nullptr;
}

bool FolderWalk::IsOnTheWay(const std::optional<std::pair<quint64, quint64>>& folder) const {
    return folder && std::find(walk_.begin(), walk_.end(), *folder) != walk_.end();
}

QByteArrayList FolderWalk::FilesShown() const {
    QByteArrayList files;
    for (const ListEntry& item : entries_)
        if (!item.entry.directory)
            files.append(item.entry.path);
    return files;
}

void FolderWalk::OpenEntry(int tag, bool up) {
    const ListEntry* item = EntryOn(tag);
    if (item == nullptr || !item->entry.exists)
        return;
    const auto i = static_cast<int>(IndexOf(tag));
    const FileEntry entry = item->entry;
    if (!entry.directory && !up) {
        if (!entry.name.isEmpty())
            view_.ShowMedia(entry.path, useViewer_, false, FilesShown());
        return;
    }
    if (up && depth_ <= 0)
        return;
    // A registered folder is always entered, even one whose path ends in "..": going up from the
    // registered folders would leave the walk.
    const bool goingUp = up || (depth_ > 0 && entry.name == "..");
    QByteArray target;
    if (!goingUp) {
        positionStack_.resize(depth_);
        positionStack_.push_back(i);
        // The folder joins the way once it has been read (a share may stall on it).
        walk_.resize(depth_);
        ++depth_;
        target = entry.path;
    } else {
        --depth_;
        walk_.resize(depth_);
        target = StripTwoComponents(entry.path);
    }
    std::optional<Level> levelLeft;
    if (!goingUp)
        levelLeft = Level{std::move(entries_), page_, pageCount_, curTag_};
    ClearEntries();
    std::optional<int> reselect;
    if (goingUp)
        reselect = positionStack_[depth_];
    if (depth_ > 0) {
        Reading down(target);
        down.reselect = reselect;
        down.levelLeft = std::move(levelLeft);
        StartReading(std::move(down));
    } else {
        ListRegisteredFolders();
        if (reselect)
            Reselect(*reselect);
    }
    view_.PaintPage();
}

void FolderWalk::GoUp() {
    if (reading_ && !reading_->forPlay) {
        LeaveFolderBeingRead();
        return;
    }
    if (depth_ > 0 && entries_.empty()) {
        // A folder that vanished lists nothing, not even its up entry, which would leave the user
        // stuck on an empty page: the way out is back to the registered folders.
        depth_ = 0;
        walk_.clear();
        ListRegisteredFolders();
        Reselect(positionStack_.empty() ? 0 : positionStack_.front());
        view_.PaintPage();
        return;
    }
    OpenEntry(kFirstTag, true);
}

void FolderWalk::Enter() {
    if (!code_.TakeEnter()) {
        OpenEntry(curTag_, false);
        return;
    }
    locks_.SetLockState(category_, !locks_.LockState(category_));
    // The code may have been completed before a click walked into a folder: the registered
    // folders are their own level again, or the way up would lead above them.
    depth_ = 0;
    walk_.clear();
    ClearEntries();
    ListRegisteredFolders();
    view_.PaintPage();
}

void FolderWalk::ToggleMark() {
    const ListEntry* item = EntryOn(curTag_);
    if (item == nullptr || item->entry.directory)
        return;
    FileEntry& entry = entries_[static_cast<size_t>(IndexOf(curTag_))].entry;
    entry.marked = !entry.marked;
    view_.PaintRow(curTag_ - kFirstTag);
    if (curTag_ - kFirstTag < kRows - 1) {
        ++curTag_;
    } else if (page_ < pageCount_ - 1) {
        ++page_;
        curTag_ = kFirstTag;
        view_.PaintPage();
    }
}

bool FolderWalk::AnyMarked() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const ListEntry& item) { return item.entry.marked; });
}

void FolderWalk::ToggleAllMarks() {
    const bool mark = !AnyMarked();
    for (ListEntry& item : entries_)
        if (!item.entry.directory)
            item.entry.marked = mark;
    view_.PaintPage();
}

void FolderWalk::MoveUp() {
    if (curTag_ - kFirstTag > 0) {
        --curTag_;
    } else if (page_ > 0) {
        curTag_ = kFirstTag + kRows - 1;
        --page_;
        view_.PaintPage();
    }
}

void FolderWalk::MoveDown() {
    if (curTag_ - kFirstTag < kRows - 1) {
        ++curTag_;
    } else if (page_ < pageCount_ - 1) {
        curTag_ = kFirstTag;
        ++page_;
        view_.PaintPage();
    }
}

void FolderWalk::PreviousPage() {
    if (page_ > 0) {
        --page_;
        view_.PaintPage();
    }
}

void FolderWalk::NextPage() {
    if (page_ < pageCount_ - 1) {
        ++page_;
        view_.PaintPage();
    }
}

void FolderWalk::PlaySelection(int kind, bool useMarks) {
    const qsizetype selected = IndexOf(curTag_);
    const ListEntry* item = SelectedEntry();
    if (!useMarks && item != nullptr && item->entry.directory) {
        // The walk of the folder may stall on a share like a listing: it runs on a worker too.
        Reading play(item->entry.path);
        play.forPlay = true;
        play.playKind = kind;
        play.playSelected = selected;
        StartReading(std::move(play));
        return;
    }
    HandOn(::PlaySelection(kind, useMarks,
                           PlaySource{entries_, selected, extensions_, category_, useViewer_}));
}

void FolderWalk::HandOn(const std::optional<MediaRequest>& request) {
    if (!request)
        return;
    if (request->list) {
        view_.ShowMedia(request->path, request->viewer, true);
        return;
    }
    // A single file is looked for on a worker, like a folder's walk: its share may stall.
    playCheck_ = std::make_unique<PlayCheck>(PlayCheck{*request, {}});
    playCheck_->answer = checks_.files->Ask(&inbox_, {request->path}, [this](size_t, bool exists) {
        const std::unique_ptr<PlayCheck> done = std::move(playCheck_);
        if (exists)
            view_.ShowMedia(done->request.path, done->request.viewer, false);
    });
}
