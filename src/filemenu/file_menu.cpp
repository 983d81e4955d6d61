#include "filemenu/file_menu.h"

#include "filemenu/category.h"
#include "filemenu/file_menu_layout.h"
#include "gradient/pgra112.h"
#include "input/remote_report.h"
#include "platform/fonts.h"
#include "platform/image_widget.h"
#include "settings/playback_index.h"
#include "ui/backdrop.h"
#include "ui/panel.h"
#include "ui/screen_stack.h"

#include <QLabel>
#include <QPointer>
#include <QScopeGuard>

namespace {
constexpr int kRows = FolderWalk::kRows;
constexpr int kFirstTag = FolderWalk::kFirstTag;
constexpr StoredColor kRowColor = 0x804000;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption,
                  Qt::Alignment alignment) {
    auto* label = new CaptionLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(alignment | Qt::AlignVCenter);
    SetWhiteText(*label);
    return label;
}
} // namespace

TFile_Menu::TFile_Menu(MediaScreenFactory& mediaScreens, const FolderListServices& services)
    : mediaScreens_(mediaScreens), index_(services.index), walk_(*this, CurTag, services) {
    SetBlackBackground(*this);

    Image1 = new ImageWidget(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    PG1 = MakeScreenGradient(this, Image1);

    LBL001 = MakeLabel(this, "LBL001", tr("my Movie"), Qt::AlignHCenter);
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
    LBL002 = MakeLabel(this, "LBL002", tr(" [Prev]"), Qt::AlignLeft);
    LBL003 = MakeLabel(this, "LBL003", tr("[Next] "), Qt::AlignRight);
    LBL004 = MakeLabel(this, "LBL004", tr("[Clear] Go to Main"), Qt::AlignHCenter);
    FormCreate();
}

TFile_Menu::~TFile_Menu() {
    walk_.ClearEntries();
}

void TFile_Menu::FormShow() {
    SetUp();
}

void TFile_Menu::SetUp() {
    busy_ = false;
    PrevTag = 101;
    CurTag = kFirstTag;
    titleCaption_ = QCoreApplication::translate("FileMenu", CategoryTable(category).titleCaption);
    setWindowTitle(titleCaption_);
    LBL001->setText(titleCaption_);
    LayOut();
    walk_.Start(category);
    PaintPage();
    PG1->Paint();
    Image1->PictureChanged();
    HighlightPanel(this, 101, kFirstTag);
}

std::array<Panel*, kRows> TFile_Menu::Rows() const {
    return {PNL001, PNL002, PNL003, PNL004, PNL005, PNL006, PNL007, PNL008, PNL009, PNL010};
}

void TFile_Menu::LayOut() {
    const QSize screen = size();
    const FileMenuLayout l = ComputeFileMenuLayout(screen.width(), screen.height());
    Image1->setGeometry(0, 0, screen.width(), screen.height());
    const QFont font = ScreenFont(l.fontHeight, true);
    for (QWidget* widget : std::initializer_list<QWidget*>{LBL001, LBL002, LBL003, LBL004})
        widget->setFont(font);
    LBL001->setGeometry(l.left, l.titleTop, l.rowWidth, l.rowHeight);
    int k = 1;
    for (Panel* panel : Rows()) {
        panel->setFont(font);
        panel->setGeometry(l.left, l.RowTop(k++), l.rowWidth, l.rowHeight);
    }
    LBL002->setGeometry(kPrevLeft, l.hintsTop, kPrevWidth, l.rowHeight);
    LBL003->setGeometry(l.nextLeft, l.hintsTop, kNextWidth, l.rowHeight);
    LBL004->setGeometry(l.left, l.hintsTop, l.rowWidth, l.rowHeight);
}

void TFile_Menu::FollowNewSize() {
    LayOut();
    PG1->Paint();
}

void TFile_Menu::SelectionMoved(int fromTag) {
    HighlightPanel(this, fromTag, CurTag);
}

void TFile_Menu::HoldPainting(bool hold) {
    // The rows keep what they show until the answer is there, so the screen never flashes an
    // empty page; input is handled meanwhile, and the page is painted whole on release.
    paintingHeld_ = hold;
    if (!hold)
        PaintPage();
}

void TFile_Menu::ReadingShown(qsizetype found) {
    LBL001->setText(tr("Reading the folder… %n found", nullptr, static_cast<int>(found)));
}

void TFile_Menu::ReadingEnded() {
    LBL001->setText(titleCaption_);
}

void TFile_Menu::PaintRow(int row) {
    if (paintingHeld_ || row < 0 || row >= kRows)
        return;
    Panel* panel = Rows()[static_cast<size_t>(row)];
    if (const ListEntry* item = walk_.EntryOn(kFirstTag + row)) {
        panel->SetCaption(RowCaption(*item));
        panel->SetFontColor(RowFontColor(item->entry));
        ShowWatchMark(*panel, item->entry);
    } else {
        panel->SetCaption(QString());
        panel->SetMark(Panel::Mark::None);
    }
}

void TFile_Menu::ShowWatchMark(Panel& panel, const FileEntry& entry) {
    // Films and episodes are what one watches to the end; the index is read, the share never.
    if (category != 1 || !entry.exists || entry.name == "..") {
        panel.SetMark(Panel::Mark::None);
        return;
    }
    if (entry.directory) {
        panel.SetMark(index_.AnyStartedBelow(entry.path) ? Panel::Mark::InProgress
                                                         : Panel::Mark::None);
        return;
    }
    const auto record = index_.Find(entry.path);
    switch (record ? watching::StateOf(*record) : WatchState::Unseen) {
    case WatchState::Unseen:
        panel.SetMark(Panel::Mark::None);
        break;
    case WatchState::InProgress:
        panel.SetMark(Panel::Mark::InProgress, watching::ProgressShare(*record));
        break;
    case WatchState::Watched:
        panel.SetMark(Panel::Mark::Watched);
        break;
    }
}

void TFile_Menu::ClearWatchMark() {
    const ListEntry* item = walk_.SelectedEntry();
    if (category != 1 || !item || item->entry.directory)
        return;
    index_.Clear(item->entry.path);
    PaintRow(CurTag - kFirstTag);
}

void TFile_Menu::PaintPage() {
    if (paintingHeld_)
        return;
    // One screen update for the whole page, so that paging does not flicker.
    setUpdatesEnabled(false);
    const auto resume = qScopeGuard([this] { setUpdatesEnabled(true); });
    LBL002->setVisible(walk_.Page() != 0);
    LBL003->setVisible(walk_.Page() != walk_.PageCount() - 1);
    LBL004->setVisible(true);
    for (int r = 0; r < kRows; ++r)
        PaintRow(r);
}

void TFile_Menu::GoUp() {
    walk_.GoUp();
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

void TFile_Menu::ShowMedia(const QByteArray& path, bool viewer, bool list,
                           const QByteArrayList& neighbours) {
    if (busy_ || !Stack())
        return;
    std::unique_ptr<Form> screen =
        mediaScreens_.CreateMediaScreen({path, viewer, list, category, neighbours});
    if (!screen)
        return;
    busy_ = true;
    Stack()->Push(std::move(screen), [list = QPointer<TFile_Menu>(this)] {
        if (!list)
            return;
        list->busy_ = false;
        // What was just watched shows at once.
        list->PaintPage();
    });
}

template <typename Operation> void TFile_Menu::UnderHighlightRule(Operation&& operation) {
    PrevTag = CurTag;
    operation();
    HighlightPanel(this, PrevTag, CurTag);
}

void TFile_Menu::FormKeyDown(int& key, ShiftState shift) {
    UnderHighlightRule([&] {
        switch (key) {
        case vk::Return:
            walk_.Enter();
            key = 0;
            break;
        case vk::Escape:
        case vk::Delete:
            key = 0;
            walk_.AbandonReading();
            close();
            break;
        case vk::Space:
        case vk::Add:
        case vk::Subtract:
            walk_.ToggleMark();
            break;
        case vk::Home:
            walk_.ToggleAllMarks();
            break;
        case vk::Left:
            walk_.PreviousPage();
            break;
        case vk::Up:
            walk_.MoveUp();
            break;
        case vk::Right:
            walk_.NextPage();
            break;
        case vk::Down:
            walk_.MoveDown();
            break;
        case vk::LetterA + ('P' - 'A'):
            if (shift.ctrl)
                walk_.PlaySelection(walk_.PlaylistKind(), walk_.AnyMarked());
            break;
        case vk::LetterA + ('U' - 'A'):
            if (shift.ctrl)
                walk_.GoUp();
            break;
        case vk::LetterA + ('S' - 'A'):
            if (shift.ctrl)
                ClearWatchMark();
            break;
        default:
            if (key >= vk::Digit0 && key <= vk::Digit0 + 9)
                walk_.Digit(QChar(key));
            else if (key >= vk::Numpad0 && key <= vk::Numpad0 + 9)
                walk_.Digit(QChar(key - (vk::Numpad0 - vk::Digit0)));
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
            walk_.ToggleAllMarks();
            break;
        case appcommand::VolumeDown:
        case appcommand::VolumeUp:
            walk_.ToggleMark();
            break;
        case appcommand::Play:
        case appcommand::PlayPause: // the single button plays here
            walk_.PlaySelection(walk_.PlaylistKind(), walk_.AnyMarked());
            break;
        case appcommand::ChannelUp:
            walk_.GoUp();
            break;
        case appcommand::Stop:
            ClearWatchMark();
            break;
        default:
            break;
        }
    });
}

void TFile_Menu::Panel_Click(Panel& panel) {
    UnderHighlightRule([&] { walk_.OpenEntry(panel.Tag(), false); });
}
