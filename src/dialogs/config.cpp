#include "dialogs/config.h"

#include "dialogs/configuration_rules.h"
#include "dialogs/dialog_kit.h"
#include "dialogs/ellips_ed.h"
#include "dialogs/folder.h"
#include "dialogs/spin_edit.h"
#include "platform/error.h"
#include "platform/message_box.h"
#include "platform/modal.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <optional>

namespace {

// The layout, in dialog units.
constexpr int kClientWidth = 472;
constexpr int kClientHeight = 286;
constexpr int kButtonStripHeight = 34;
constexpr int kControlsLeft = 120;
// The category tabs' Add, Edit and Delete buttons end 222 units down their page; a little room is
// kept below them.
constexpr int kPageHeight = 224;
constexpr int kLockColumn = 2;

const QString kLockOn = QStringLiteral("On");
const QString kLockOff = QStringLiteral("Off");

// Blanks and control characters around a title are never meant.
QString TrimTitle(const QString& title) {
    const auto blank = [](QChar c) {
        return c.unicode() <= 0x20 || c.category() == QChar::Other_Control;
    };
    qsizetype begin = 0;
    qsizetype end = title.size();
    while (begin < end && blank(title[begin]))
        ++begin;
    while (end > begin && blank(title[end - 1]))
        --end;
    return title.mid(begin, end - begin);
}

// One trailing separator goes; the root "/" is a folder of its own and stays.
QString StripTrailingSeparator(const QString& path) {
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        return path.chopped(1);
    return path;
}

FolderRow EnteredRow(const TFolder_Form& folder) {
    return {TrimTitle(folder.ED01->text()), StripTrailingSeparator(folder.EE01->text()),
            folder.CHB01->isChecked() ? kLockOn : kLockOff};
}

void SetRow(QTreeWidgetItem* item, const FolderRow& row) {
    item->setText(0, row.title);
    item->setText(1, row.folder);
    item->setText(kLockColumn, row.lock);
    item->setTextAlignment(kLockColumn, Qt::AlignCenter);
}

QTreeWidgetItem* SelectedRow(const QTreeWidget* list) {
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QTreeWidget* MakeFolderList(QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setColumnCount(3);
    list->setHeaderLabels({QCoreApplication::translate("TConfig_Form", "タイトル"),
                           QCoreApplication::translate("TConfig_Form", "パス"),
                           QCoreApplication::translate("TConfig_Form", "ロック")});
    list->headerItem()->setTextAlignment(kLockColumn, Qt::AlignCenter);
    list->header()->setStretchLastSection(false);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return list;
}

void PlaceFolderList(QTreeWidget* list, const DialogUnits& u) {
    list->setGeometry(u(QRect(4, 76, 457, 117)));
    list->setColumnWidth(0, u(102));
    list->setColumnWidth(1, u(300));
    list->setColumnWidth(kLockColumn, u(50));
}

} // namespace

TConfig_Form::TConfig_Form(QWidget* parent) : QDialog(parent) {
    SetUpFixedDialog(*this, tr("環境設定"), [this] { LayOut(); });

    PC1 = new QTabWidget(this);
    TabSheet1 = new QWidget;
    TabSheet2 = new QWidget;
    TabSheet3 = new QWidget;
    TabSheet4 = new QWidget;
    PC1->addTab(TabSheet1, tr("全般"));
    PC1->addTab(TabSheet2, tr("my Video"));
    PC1->addTab(TabSheet3, tr("my Music"));
    PC1->addTab(TabSheet4, tr("my Picture"));

    BuildGeneralTab();
    std::tie(Label3, ED101, Label4, ED102, Label5, LV1, Button1, Button2, Button3) =
        BuildCategoryTab(TabSheet2, 1);
    std::tie(Label6, ED201, Label7, ED202, Label8, LV2, Button6, Button7, Button8) =
        BuildCategoryTab(TabSheet3, 2);
    std::tie(Label9, ED301, Label10, ED302, Label11, LV3, Button9, Button10, Button11) =
        BuildCategoryTab(TabSheet4, 3);
    // Beside the folder buttons, where the Picture tab has nothing.
    CHB101 = MakeContinueBox(TabSheet2);
    CHB201 = MakeContinueBox(TabSheet3);
    categories_ = {CategoryFields{TabSheet2, ED101, ED102, LV1, CHB101},
                   CategoryFields{TabSheet3, ED201, ED202, LV2, CHB201},
                   CategoryFields{TabSheet4, ED301, ED302, LV3, nullptr}};

    Panel1 = new QWidget(this);
    Button4 = MakeButton(Panel1, tr("OK"));
    Button5 = MakeButton(Panel1, tr("キャンセル"));
    Button4->setDefault(true);
    connect(Button4, &QPushButton::clicked, this, [this] { Button4_Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { done(mrCancel); });

    ChainTabOrder();
    LayOut();
}

void TConfig_Form::BuildGeneralTab() {
    ED01 = MakeEdit(TabSheet1);
    SE01 = new SpinEdit(TabSheet1);
    SE01->setRange(0, 999);
    SE01->setValue(10);
    Label1 = MakeLabel(TabSheet1, tr("終了コード(&E):"), ED01);
    Label2 = MakeLabel(TabSheet1, tr("アクティブディレイ(&A):"), SE01);
    CHB01 = MakeCheckBox(TabSheet1, tr("Phone remote(&R)"));
    CHB01->setChecked(true);
    BTN01 = MakeButton(TabSheet1, tr("Forget phones"));
    IMG01 = new QLabel(TabSheet1);
    // Read off a camera picture: dark on white whatever the theme.
    IMG01->setStyleSheet(QStringLiteral("background: white"));
    IMG01->setAlignment(Qt::AlignCenter);
    IMG01->hide();
    LBL01 = new QLabel(TabSheet1);
    LBL01->setWordWrap(true);
    LBL01->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LBL01->hide();
    connect(BTN01, &QPushButton::clicked, this, [this] { ForgetPhones_Click(); });
}

void TConfig_Form::ForgetPhones_Click() {
    if (!OnForgetPhones)
        return;
    try {
        OnForgetPhones();
        ShowMessage(MessageKind::Information,
                    tr("Every phone has been forgotten: a phone pairs again by the code on the "
                       "TV."));
    } catch (const AppError& error) {
        ShowMessage(MessageKind::Error, error.message());
    }
}

QCheckBox* TConfig_Form::MakeContinueBox(QWidget* sheet) {
    QCheckBox* box = MakeCheckBox(sheet, tr("次のファイルも続けて再生(&N)"));
    box->setChecked(true);
    return box;
}

TConfig_Form::CategoryTab TConfig_Form::BuildCategoryTab(QWidget* sheet, int tag) {
    QLineEdit* unlock = MakeEdit(sheet);
    QLineEdit* extensions = MakeEdit(sheet);
    QTreeWidget* folders = MakeFolderList(sheet);
    QPushButton* add = MakeButton(sheet, tr("追加(&A)"));
    QPushButton* edit = MakeButton(sheet, tr("編集(&E)"));
    QPushButton* remove = MakeButton(sheet, tr("削除(&D)"));
    for (QPushButton* button : {add, edit, remove})
        SetTag(button, tag);
    connect(add, &QPushButton::clicked, this, [this, add] { Add_Click(add); });
    connect(edit, &QPushButton::clicked, this, [this, edit] { Edit_Click(edit); });
    connect(remove, &QPushButton::clicked, this, [this, remove] { Delete_Click(remove); });
    return {MakeLabel(sheet, tr("ロック解除コード(&U):"), unlock),
            unlock,
            MakeLabel(sheet, tr("表示する拡張子(&X):"), extensions),
            extensions,
            MakeLabel(sheet, tr("フォルダ(&F):"), folders),
            folders,
            add,
            edit,
            remove};
}

void TConfig_Form::LayOut() {
    const std::optional<DialogUnits> units = DialogUnitsFor(*this);
    if (!units)
        return;
    const DialogUnits& u = *units;
    SizeFixedDialog(*this, QSize(kClientWidth, kClientHeight), u);
    PC1->setGeometry(u(QRect(0, 0, kClientWidth, kClientHeight - kButtonStripHeight)));

    ED01->setGeometry(u(QRect(kControlsLeft, 8, 153, 20)));
    SE01->setGeometry(u(QRect(kControlsLeft, 32, 53, 21)));
    PlaceLabel(Label1, u(QPoint(4, 12)));
    PlaceLabel(Label2, u(QPoint(4, 36)));
    PlaceCheckBox(CHB01, u(QRect(4, 60, 212, 22)), u);
    BTN01->setGeometry(u(QRect(4, 86, 110, 22)));
    LBL01->setGeometry(u(QRect(4, 116, 272, 100)));
    // The code as large as its place allows, in whole pixels per module so that it stays sharp.
    const QRect qrPlace = u(QRect(288, 8, 172, 172));
    const int scale = phoneQr_.isNull() ? 1 : std::max(1, qrPlace.height() / phoneQr_.width());
    const int side = phoneQr_.isNull() ? 0 : phoneQr_.width() * scale;
    IMG01->setGeometry(qrPlace.x(), qrPlace.y(), side, side);
    if (!phoneQr_.isNull())
        IMG01->setPixmap(QPixmap::fromImage(
            phoneQr_.scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation)));

    for (const CategoryTab& tab :
         {CategoryTab{Label3, ED101, Label4, ED102, Label5, LV1, Button1, Button2, Button3},
          CategoryTab{Label6, ED201, Label7, ED202, Label8, LV2, Button6, Button7, Button8},
          CategoryTab{Label9, ED301, Label10, ED302, Label11, LV3, Button9, Button10, Button11}}) {
        const auto& [unlockLabel, unlock, extensionsLabel, extensions, foldersLabel, folders, add,
                     edit, remove] = tab;
        unlock->setGeometry(u(QRect(kControlsLeft, 8, 153, 20)));
        extensions->setGeometry(u(QRect(kControlsLeft, 32, 341, 20)));
        PlaceFolderList(folders, u);
        add->setGeometry(u(QRect(8, 200, 75, 22)));
        edit->setGeometry(u(QRect(88, 200, 75, 22)));
        remove->setGeometry(u(QRect(168, 200, 75, 22)));
        PlaceLabel(unlockLabel, u(QPoint(4, 12)));
        PlaceLabel(extensionsLabel, u(QPoint(4, 36)));
        PlaceLabel(foldersLabel, u(QPoint(4, 60)));
    }
    for (QCheckBox* box : {CHB101, CHB201})
        PlaceCheckBox(box, u(QRect(252, 200, 212, 22)), u);

    Panel1->setGeometry(
        u(QRect(0, kClientHeight - kButtonStripHeight, kClientWidth, kButtonStripHeight)));
    Button4->setGeometry(u(QRect(312, 8, 75, 22)));
    Button5->setGeometry(u(QRect(392, 8, 75, 22)));
    if (shownOnce_)
        FitToFont(u);
}

void TConfig_Form::ChainTabOrder() {
    const QList<QWidget*> chain = {PC1, ED01,    SE01,     CHB01,    BTN01,   ED101,  ED102,
                                   LV1, Button1, Button2,  Button3,  CHB101,  ED201,  ED202,
                                   LV2, Button6, Button7,  Button8,  CHB201,  ED301,  ED302,
                                   LV3, Button9, Button10, Button11, Button4, Button5};
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void TConfig_Form::showEvent(QShowEvent* event) {
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TConfig_Form::FormShow() {
    LayOut();
    PC1->setCurrentIndex(0);
}

void TConfig_Form::FitToFont(const DialogUnits& units) {
    // The layout was made for the proportional Gothic. Labels that run wider in the font at hand
    // push the column of controls to the right, and the dialog grows with it.
    const int overflow = FitLabels(
        {Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9, Label10, Label11},
        units(kControlsLeft));
    if (overflow > 0) {
        MoveRight({ED01, SE01, IMG01, ED101, ED102, ED201, ED202, ED301, ED302, Button4, Button5},
                  overflow);
        Widen({PC1, Panel1, LV1, LV2, LV3, CHB101, CHB201}, overflow);
    }
    // A switch's caption is never cut: the dialog grows to the right for it.
    const int boxShortfall = std::max({0, CHB101->sizeHint().width() - CHB101->width(),
                                       CHB201->sizeHint().width() - CHB201->width()});
    if (boxShortfall > 0) {
        MoveRight({Button4, Button5}, boxShortfall);
        Widen({PC1, Panel1, CHB101, CHB201}, boxShortfall);
    }
    // The tab bar's height follows the font; the page below it must still hold the buttons.
    const int shortfall = std::max(0, units(kPageHeight) - PC1->currentWidget()->height());
    PC1->resize(PC1->width(), PC1->height() + shortfall);
    Panel1->move(Panel1->x(), Panel1->y() + shortfall);
    GrowFixedDialog(*this, QSize(std::max(0, overflow) + boxShortfall, shortfall));
}

void TConfig_Form::Add_Click(QObject* Sender) {
    QTreeWidget* list = ListOf(Sender);
    TFolder_Form folder(this);
    if (RunFolderDialog(folder) == mrOk)
        SetRow(new QTreeWidgetItem(list), EnteredRow(folder));
}

void TConfig_Form::Edit_Click(QObject* Sender) {
    QTreeWidgetItem* row = SelectedRow(ListOf(Sender));
    if (!row)
        return;
    TFolder_Form folder(this);
    folder.ED01->setText(row->text(0));
    folder.EE01->setText(row->text(1));
    folder.CHB01->setChecked(row->text(kLockColumn) == kLockOn);
    if (RunFolderDialog(folder) == mrOk)
        SetRow(row, EnteredRow(folder));
}

void TConfig_Form::Delete_Click(QObject* Sender) {
    QTreeWidget* list = ListOf(Sender);
    QTreeWidgetItem* row = SelectedRow(list);
    if (!row)
        return;
    delete row;
    // The list view selects the next row by itself; a second Delete must not remove that one too.
    list->clearSelection();
}

int TConfig_Form::RunFolderDialog(TFolder_Form& folder) {
    const int result = ExecModal(folder);
    // Without a window manager nothing gives the focus back when the folder dialog closes, and
    // this dialog's accelerators would stop working.
    activateWindow();
    return result;
}

void TConfig_Form::Button4_Click() {
    if (!CodesCanBeTyped())
        return;
    if (OnAccept) {
        try {
            OnAccept();
        } catch (const AppError& error) {
            ShowMessage(MessageKind::Error,
                        error.message() +
                            tr("\n\nNothing was saved. The settings stay open: press OK to "
                               "try again, or キャンセル to leave them."));
            return;
        }
    }
    done(mrOk);
}

bool TConfig_Form::CodesCanBeTyped() {
    const std::optional<ConfigurationRefusal> refusal = RefusalOf(*this);
    if (!refusal)
        return true;
    if (refusal->category == 0)
        RefuseField(TabSheet1, ED01, refusal->message);
    else
        RefuseField(Category(refusal->category).sheet, Category(refusal->category).unlock,
                    refusal->message);
    return false;
}

void TConfig_Form::RefuseField(QWidget* sheet, QLineEdit* field, const QString& message) {
    ShowMessage(MessageKind::Warning, message);
    PC1->setCurrentWidget(sheet);
    field->setFocus();
    field->selectAll();
}

void TConfig_Form::reject() {
    done(mrCancel);
}

const TConfig_Form::CategoryFields& TConfig_Form::Category(int category) const {
    if (category < 1 || category > static_cast<int>(categories_.size()))
        throw AppError(tr("The settings dialog has no category %1.").arg(category));
    return categories_[category - 1];
}

QTreeWidget* TConfig_Form::ListOf(QObject* sender) const {
    return Category(TagOf(sender)).folders;
}

void TConfig_Form::SetExitCode(const QString& text) {
    ED01->setText(text);
}
QString TConfig_Form::ExitCode() const {
    return ED01->text();
}
void TConfig_Form::SetPhoneRemote(bool on) {
    CHB01->setChecked(on);
}
bool TConfig_Form::PhoneRemote() const {
    return CHB01->isChecked();
}
void TConfig_Form::ShowPhoneInvitations(PhoneInvitations invitations) {
    invitations_ = std::move(invitations);
    ShowPhoneInvitation();
}

void TConfig_Form::ShowPhoneInvitation() {
    const PhoneInvitationView view = invitations_();
    phoneQr_ = view.qr;
    IMG01->setVisible(!phoneQr_.isNull());
    LBL01->setVisible(!view.address.isEmpty());
    LBL01->setText(tr("Set up from a phone: scan the code, or open %1 in the phone's browser and "
                      "type the code %2.")
                       .arg(view.address, view.code));
    delete renewal_;
    renewal_ = new QObject(this);
    // Renewed a little before it expires, so that a code read off the dialog still works.
    const auto renewIn =
        std::max(view.life - std::chrono::seconds(20), std::chrono::milliseconds(1000));
    QTimer::singleShot(renewIn, renewal_, [this] { ShowPhoneInvitation(); });
    LayOut();
}

void TConfig_Form::SetActiveDelay(int seconds) {
    SE01->setValue(seconds);
}
int TConfig_Form::ActiveDelay() const {
    return SE01->value();
}

void TConfig_Form::SetUnlockCode(int category, const QString& text) {
    Category(category).unlock->setText(text);
}
QString TConfig_Form::UnlockCode(int category) const {
    return Category(category).unlock->text();
}

void TConfig_Form::SetContinueFolder(int category, bool on) {
    if (QCheckBox* box = Category(category).continueFolder)
        box->setChecked(on);
}
bool TConfig_Form::ContinueFolder(int category) const {
    const QCheckBox* box = Category(category).continueFolder;
    return box && box->isChecked();
}

void TConfig_Form::SetExtensions(int category, const QString& text) {
    Category(category).extensions->setText(text);
}
QString TConfig_Form::Extensions(int category) const {
    return Category(category).extensions->text();
}

void TConfig_Form::AddFolderRow(int category, const FolderRow& row) {
    SetRow(new QTreeWidgetItem(Category(category).folders), row);
}

QList<FolderRow> TConfig_Form::FolderRows(int category) const {
    const QTreeWidget* list = Category(category).folders;
    QList<FolderRow> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        rows.append({item->text(0), item->text(1), item->text(kLockColumn)});
    }
    return rows;
}

int TConfig_Form::ShowModal() {
    return ExecModal(*this);
}

std::unique_ptr<ConfigurationDialog> MakeConfigurationDialog() {
    return std::make_unique<TConfig_Form>();
}
