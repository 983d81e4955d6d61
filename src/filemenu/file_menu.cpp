#include "filemenu/file_menu.h"

#include "filemenu/category.h"
#include "filemenu/file_menu_layout.h"
#include "filemenu/folder_existence.h"
#include "filemenu/folder_listing.h"
#include "filemenu/folder_reading.h"
#include "filemenu/media_handoff.h"
#include "filemenu/play_selection.h"
#include "gradient/pgra112.h"
#include "input/remote_report.h"
#include "platform/fonts.h"
#include "platform/image_widget.h"
#include "platform/modal.h"
#include "settings/general.h"
#include "ui/backdrop.h"
#include "ui/panel.h"

#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace {
constexpr int kRows = 10;
constexpr int kFirstTag = 100;
constexpr StoredColor kRowColor = 0x804000;
// Folders that answer within this are shown at once, without an empty page or an olive row first.
constexpr std::chrono::milliseconds kQuickAnswer{50};
// A folder still being read after this says so in the title row.
constexpr std::chrono::milliseconds kShowReadingAfter{300};
constexpr int kWatchIntervalMs = 20;

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, Qt::Alignment alignment) {
    auto* label = new CaptionLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(alignment | Qt::AlignVCenter);
    SetWhiteText(*label);
    return label;
}
} // namespace

TFile_Menu::TFile_Menu(QWidget* parent) : Form(parent) {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    SetBlackBackground(*this);

    Image1 = new ImageWidget(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    PG1 = MakeScreenGradient(this, Image1);

    LBL001 = MakeLabel(this, "LBL001", "my Movie", Qt::AlignHCenter);
    Panel** rows[kRows] = {&PNL001, &PNL002, &PNL003, &PNL004, &PNL005,
                           &PNL006, &PNL007, &PNL008, &PNL009, &PNL010};
    for (int r = 0; r < kRows; ++r) {
        Panel* panel = new Panel(this);
        panel->setObjectName(QString::asprintf("PNL%03d", r + 1));
        panel->SetTag(kFirstTag + r);
        panel->SetColor(kRowColor);
        // Captions show "&" as the mnemonic prefix: "&&" is one "&", a single one underlines.
        panel->SetAlignment(Qt::AlignLeft | Qt::AlignVCenter |
                            Qt::Alignment(QFlag(Qt::TextShowMnemonic)));
        panel->SetBevelWidth(2);
        BindPanel(*panel);
        *rows[r] = panel;
    }
    LBL002 = MakeLabel(this, "LBL002", " [Prev]", Qt::AlignLeft);
    LBL003 = MakeLabel(this, "LBL003", "[Next] ", Qt::AlignRight);
    LBL004 = MakeLabel(this, "LBL004", "[Clear] Go to Main", Qt::AlignHCenter);
    watch_ = new QTimer(this);
    watch_->setInterval(kWatchIntervalMs);
    connect(watch_, &QTimer::timeout, this, [this] { WatchWorkers(); });
    FormCreate();
}

TFile_Menu::~TFile_Menu() {
    ClearEntries();
}

void TFile_Menu::FormShow() {
    SetUp();
}

void TFile_Menu::SetUp() {
    busy_ = false;
    depth_ = 0;
    positionStack_.clear();
    walk_.clear();
    PrevTag = 101;
    CurTag = kFirstTag;
    PlaceFullScreen();
    SetLockState(category, true);

    const CategoryInfo& info = CategoryTable(category);
    titleCaption_ = QString::fromLatin1(info.titleCaption);
    LBL001->setText(titleCaption_);
    keyPath_ = settingskey::Category(QString::fromLatin1(info.keyName));
    playlistKind_ = info.playlistKind;
    useViewer_ = info.useViewer;
    const QString extensionText = ReadSettingString(0, keyPath_, QStringLiteral("Extention"),
                                                    QString::fromLatin1(info.defaultExtensions));
    // Digits typed toward another category's code never count toward this one's.
    code_.SetCode(ReadSettingString(0, keyPath_, QStringLiteral("UnLockCode"),
                                    QString::fromLatin1(info.defaultUnlockCode)));
    LayOut();

    ClearEntries();
    extensions_ =
        ExtensionList(ReadSettingString(0, keyPath_, QStringLiteral("Extention"), extensionText));
    ListRegisteredFolders();
    PaintPage();
    PG1->Paint();
    Image1->PictureChanged();
    HighlightPanel(this, 101, kFirstTag);
}

void TFile_Menu::LayOut() {
    const QSize screen = size();
    const FileMenuLayout l = ComputeFileMenuLayout(screen.width(), screen.height());
    Image1->setGeometry(0, 0, screen.width(), screen.height());
    const QFont font = ScreenFont(l.fontHeight, true);
    for (QWidget* widget : std::initializer_list<QWidget*>{LBL001, LBL002, LBL003, LBL004})
        widget->setFont(font);
    LBL001->setGeometry(l.left, l.titleTop, l.rowWidth, l.rowHeight);
    for (int k = 1; k <= kRows; ++k) {
        Panel* panel =
            findChild<Panel*>(QString::asprintf("PNL%03d", k), Qt::FindDirectChildrenOnly);
        panel->setFont(font);
        panel->setGeometry(l.left, l.RowTop(k), l.rowWidth, l.rowHeight);
    }
    LBL002->setGeometry(kPrevLeft, l.hintsTop, kPrevWidth, l.rowHeight);
    LBL003->setGeometry(l.nextLeft, l.hintsTop, kNextWidth, l.rowHeight);
    LBL004->setGeometry(l.left, l.hintsTop, l.rowWidth, l.rowHeight);
}

void TFile_Menu::ListRegisteredFolders() {
    const int count = ReadFolderEntryCount(keyPath_);
    const bool locked = LockState(category);
    std::vector<QByteArray> paths;
    for (int i = 1; i <= count; ++i) {
        const QString folder =
            ReadSettingString(0, keyPath_, EntryValueName("Folder", i), QString());
        const QString title = ReadSettingString(0, keyPath_, EntryValueName("Title", i), QString());
        if (locked && ReadSettingBool(0, keyPath_, EntryValueName("Lock", i), false))
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
    answers_ = SharedFolderExistenceChecks().Ask(paths);
    answers_->WaitFor(kQuickAnswer);
    ApplyExistenceAnswers();
    if (answers_)
        watch_->start();
}

void TFile_Menu::ApplyExistenceAnswers() {
    const std::vector<std::optional<bool>> answers = answers_->Snapshot();
    bool all = true;
    for (size_t i = 0; i < answers.size() && i < entries_.size(); ++i) {
        all = all && answers[i].has_value();
        const bool exists = answers[i].value_or(false);
        if (entries_[i].entry.exists == exists)
            continue;
        entries_[i].entry.exists = exists;
        if (i / kRows == static_cast<size_t>(page_))
            PaintRow(static_cast<int>(i % kRows));
    }
    if (all)
        answers_.reset();
}

void TFile_Menu::ListFolder(const QByteArray& folder) {
    StartReading(Reading(std::make_unique<FolderReading>(folder, extensions_)));
}

void TFile_Menu::StartReading(Reading reading) {
    AbandonReading();
    reading.start = std::chrono::steady_clock::now();
    reading_ = std::make_unique<Reading>(std::move(reading));
    if (!reading_->forPlay) {
        page_ = 0;
        pageCount_ = 1; // neither [Prev] nor [Next] while the list is not there
        CurTag = kFirstTag;
    }
    if (reading_->folder->WaitFor(kQuickAnswer))
        FinishReading();
    else
        watch_->start();
}

void TFile_Menu::FinishReading() {
    const std::unique_ptr<Reading> done = std::move(reading_);
    LBL001->setText(titleCaption_);
    if (!done->forPlay) {
        ShowListing(std::move(*done));
        return;
    }
    const EntryList listing = done->folder->TakeEntries();
    HandOn(::PlaySelection(
        done->playKind, false,
        PlaySource{entries_, done->playSelected, extensions_, category, useViewer_, &listing}));
}

void TFile_Menu::ShowListing(Reading reading) {
    if (reading.levelLeft) {
        // A folder already on the way (a link back to it) would only lead round in a circle.
        const auto folder = reading.folder->Identity();
        if (IsOnTheWay(folder)) {
            LeaveLevel(reading);
            return;
        }
        walk_.push_back(folder.value_or(std::pair<quint64, quint64>{}));
    }
    entries_ = reading.folder->TakeEntries();
    SetPageCountForListing();
    page_ = 0;
    CurTag = kFirstTag;
    if (reading.reselect)
        Reselect(*reading.reselect);
}

void TFile_Menu::Reselect(int index) {
    page_ = index / kRows;
    CurTag = kFirstTag + index % kRows;
}

void TFile_Menu::LeaveFolderBeingRead() {
    const std::unique_ptr<Reading> left = std::move(reading_);
    LBL001->setText(titleCaption_);
    LeaveLevel(*left);
    PaintPage();
}

void TFile_Menu::LeaveLevel(Reading& left) {
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
        CurTag = left.levelLeft->curTag;
    } else {
        Reading up(std::make_unique<FolderReading>(
            StripTwoComponents(JoinPath(left.folder->Folder(), "..")), extensions_));
        up.reselect = positionStack_[depth_];
        StartReading(std::move(up));
    }
}

void TFile_Menu::AbandonReading() {
    if (!reading_)
        return;
    reading_.reset();
    LBL001->setText(titleCaption_);
}

void TFile_Menu::WatchWorkers() {
    if (answers_)
        ApplyExistenceAnswers();
    if (reading_ && reading_->folder->Finished()) {
        const bool listing = !reading_->forPlay;
        const int before = CurTag;
        FinishReading();
        if (listing) {
            PaintPage();
            HighlightPanel(this, before, CurTag);
        }
    } else if (reading_ &&
               std::chrono::steady_clock::now() - reading_->start >= kShowReadingAfter) {
        LBL001->setText(
            QStringLiteral("Reading the folder… %1 found").arg(reading_->folder->EntriesTaken()));
    }
    if (!reading_ && !answers_)
        watch_->stop();
}

void TFile_Menu::SetPageCountForListing() {
    const auto count = static_cast<int>(entries_.size());
    pageCount_ = count / kRows + (count % kRows != 0 ? 1 : 0);
}

void TFile_Menu::ClearEntries() {
    AbandonReading();
    answers_.reset();
    entries_.clear();
}

void TFile_Menu::PaintRow(int row) {
    const size_t i = static_cast<size_t>(page_) * kRows + row;
    auto* panel =
        findChild<Panel*>(QString::asprintf("PNL%03d", row + 1), Qt::FindDirectChildrenOnly);
    if (panel == nullptr)
        return;
    if (i < entries_.size()) {
        panel->SetCaption(RowCaption(entries_[i]));
        panel->SetFontColor(RowFontColor(entries_[i].entry));
    } else {
        panel->SetCaption(QString());
    }
}

void TFile_Menu::PaintPage() {
    // One screen update for the whole page, so that paging does not flicker.
    setUpdatesEnabled(false);
    const auto resume = qScopeGuard([this] { setUpdatesEnabled(true); });
    LBL002->setVisible(page_ != 0);
    LBL003->setVisible(page_ != pageCount_ - 1);
    LBL004->setVisible(true);
    for (int r = 0; r < kRows; ++r)
        PaintRow(r);
}

bool TFile_Menu::IsOnTheWay(const std::optional<std::pair<quint64, quint64>>& folder) const {
    return folder && std::find(walk_.begin(), walk_.end(), *folder) != walk_.end();
}

void TFile_Menu::OpenEntry(int tag, bool up) {
    const size_t i = static_cast<size_t>(page_) * kRows + (tag - kFirstTag);
    if (i >= entries_.size() || !entries_[i].entry.exists)
        return;
    const FileEntry entry = entries_[i].entry;
    if (!entry.directory && !up) {
        if (!entry.name.isEmpty())
            ShowMedia(entry.path, useViewer_, false);
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
        positionStack_.push_back(static_cast<int>(i));
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
        levelLeft = Level{std::move(entries_), page_, pageCount_, CurTag};
    ClearEntries();
    std::optional<int> reselect;
    if (goingUp)
        reselect = positionStack_[depth_];
    if (depth_ > 0) {
        Reading down(std::make_unique<FolderReading>(target, extensions_));
        down.reselect = reselect;
        down.levelLeft = std::move(levelLeft);
        StartReading(std::move(down));
    } else {
        ListRegisteredFolders();
        if (reselect)
            Reselect(*reselect);
    }
    PaintPage();
}

void TFile_Menu::GoUp() {
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
        const int p = positionStack_.empty() ? 0 : positionStack_.front();
        page_ = p / kRows;
        CurTag = kFirstTag + p % kRows;
        PaintPage();
        return;
    }
    OpenEntry(kFirstTag, true);
}

void TFile_Menu::ToggleMark() {
    const size_t i = static_cast<size_t>(page_) * kRows + (CurTag - kFirstTag);
    if (i >= entries_.size() || entries_[i].entry.directory)
        return;
    entries_[i].entry.marked = !entries_[i].entry.marked;
    PaintRow(CurTag - kFirstTag);
    if (CurTag - kFirstTag < kRows - 1) {
        ++CurTag;
    } else if (page_ < pageCount_ - 1) {
        ++page_;
        CurTag = kFirstTag;
        PaintPage();
    }
}

bool TFile_Menu::AnyMarked() const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [](const ListEntry& item) { return item.entry.marked; });
}

const ListEntry* TFile_Menu::SelectedEntry() const {
    const size_t i = static_cast<size_t>(page_) * kRows + (CurTag - kFirstTag);
    return i < entries_.size() ? &entries_[i] : nullptr;
}

void TFile_Menu::ToggleAllMarks() {
    const bool mark = !AnyMarked();
    for (ListEntry& item : entries_)
        if (!item.entry.directory)
            item.entry.marked = mark;
    PaintPage();
}

void TFile_Menu::SwitchCategory(int newCategory) {
    if (newCategory == category)
        return;
    category = newCategory;
    PrevTag = CurTag;
    CurTag = kFirstTag;
    HighlightPanel(this, PrevTag, kFirstTag);
    SetUp();
}

void TFile_Menu::ShowMedia(const QByteArray& path, bool viewer, bool list) {
    if (busy_)
        return;
    busy_ = true;
    const auto idle = qScopeGuard([this] { busy_ = false; });
    std::unique_ptr<QDialog> screen =
        CurrentMediaScreenFactory().CreateMediaScreen({path, viewer, list, category});
    if (screen)
        ExecModal(*screen);
}

void TFile_Menu::PlaySelection(int kind, bool useMarks) {
    const qsizetype selected = static_cast<qsizetype>(page_) * kRows + (CurTag - kFirstTag);
    const ListEntry* item = SelectedEntry();
    if (!useMarks && item != nullptr && item->entry.directory) {
        // The walk of the folder may stall on a share like a listing: it runs on a worker too.
        Reading play(std::make_unique<FolderReading>(item->entry.path, extensions_));
        play.forPlay = true;
        play.playKind = kind;
        play.playSelected = selected;
        StartReading(std::move(play));
        return;
    }
    HandOn(::PlaySelection(kind, useMarks,
                           PlaySource{entries_, selected, extensions_, category, useViewer_}));
}

void TFile_Menu::HandOn(const std::optional<MediaRequest>& request) {
    if (request)
        ShowMedia(request->path, request->viewer, request->list);
}

template <typename Operation> void TFile_Menu::UnderHighlightRule(Operation&& operation) {
    PrevTag = CurTag;
    operation();
    HighlightPanel(this, PrevTag, CurTag);
}

void TFile_Menu::PressEnter() {
    if (code_.TakeEnter()) {
        SetLockState(category, !LockState(category));
        // The code may have been completed before a click walked into a folder: the registered
        // folders are their own level again, or the way up would lead above them.
        depth_ = 0;
        walk_.clear();
        ClearEntries();
        ListRegisteredFolders();
        PaintPage();
    } else {
        OpenEntry(CurTag, false);
    }
}

void TFile_Menu::MoveUp() {
    if (CurTag - kFirstTag > 0) {
        --CurTag;
    } else if (page_ > 0) {
        CurTag = kFirstTag + kRows - 1;
        --page_;
        PaintPage();
    }
}

void TFile_Menu::MoveDown() {
    if (CurTag - kFirstTag < kRows - 1) {
        ++CurTag;
    } else if (page_ < pageCount_ - 1) {
        CurTag = kFirstTag;
        ++page_;
        PaintPage();
    }
}

void TFile_Menu::FormKeyDown(int& key, ShiftState shift) {
    UnderHighlightRule([&] {
        switch (key) {
        case vk::Return:
            PressEnter();
            key = 0;
            break;
        case vk::Escape:
        case vk::Delete:
            key = 0;
            AbandonReading();
            reject();
            break;
        case vk::Space:
        case vk::Add:
        case vk::Subtract:
            ToggleMark();
            break;
        case vk::Home:
            ToggleAllMarks();
            break;
        case vk::Left:
            if (page_ > 0) {
                --page_;
                PaintPage();
            }
            break;
        case vk::Up:
            MoveUp();
            break;
        case vk::Right:
            if (page_ < pageCount_ - 1) {
                ++page_;
                PaintPage();
            }
            break;
        case vk::Down:
            MoveDown();
            break;
        case vk::LetterA + ('P' - 'A'):
            if (shift.ctrl)
                PlaySelection(playlistKind_, AnyMarked());
            break;
        case vk::LetterA + ('U' - 'A'):
            if (shift.ctrl)
                GoUp();
            break;
        default:
            if (key >= vk::Digit0 && key <= vk::Digit0 + 9)
                code_.Digit(QChar(key), depth_);
            else if (key >= vk::Numpad0 && key <= vk::Numpad0 + 9)
                code_.Digit(QChar(key - (vk::Numpad0 - vk::Digit0)), depth_);
            break;
        }
    });
}

void TFile_Menu::WmInput(const RawInputMessage& message) {
    const std::optional<quint32> code = FetchRemoteReport(message);
    if (!code)
        return;
    int target = 0;
    switch (*code) {
    case report::Video:
        target = 1;
        break;
    case report::Music:
        target = 2;
        break;
    case report::Pictures:
        target = 3;
        break;
    default:
        return;
    }
    if (target != category)
        UnderHighlightRule([&] { SwitchCategory(target); });
}

void TFile_Menu::WmAppCommand(int command) {
    UnderHighlightRule([&] {
        switch (command) {
        case appcommand::VolumeMute:
            ToggleAllMarks();
            break;
        case appcommand::VolumeDown:
        case appcommand::VolumeUp:
            ToggleMark();
            break;
        case appcommand::Play:
        case appcommand::PlayPause: // the single button plays here
            PlaySelection(playlistKind_, AnyMarked());
            break;
        case appcommand::ChannelUp:
            GoUp();
            break;
        default:
            break;
        }
    });
}

void TFile_Menu::Panel_Click(Panel& panel) {
    UnderHighlightRule([&] { OpenEntry(panel.Tag(), false); });
}
