#include "dialog_test_support.h"
#include "dialogs/config.h"
#include "dialogs/ellips_ed.h"
#include "dialogs/folder.h"
#include "dialogs/spin_edit.h"
#include "platform/error.h"

#include "message_capture.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <ostream>

#include <functional>

namespace {

// A list's rows as "title|folder|lock" texts, to compare and to print.
QStringList Flat(const QList<FolderRow>& rows) {
    QStringList flat;
    for (const FolderRow& row : rows)
        flat.append(row.title + u'|' + row.folder + u'|' + row.lock);
    return flat;
}

FolderRow Row(const char* title, const char* folder, const char* lock) {
    return {QString::fromUtf8(title), QString::fromUtf8(folder), QString::fromUtf8(lock)};
}

// How a folder entry dialog is answered: what is typed into it and how it is closed.
struct FolderAnswer {
    QString title;
    QString path;
    bool lock = false;
    bool accept = true;
};

class ConfigFormTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ShowActive(form)); }

    // Answers the next folder entry dialogs: records what they showed, types the answer, closes.
    ModalHook FolderDialogAnswering(const FolderAnswer& answer) {
        return [this, answer](QDialog& dialog) {
            auto& folder = dynamic_cast<TFolder_Form&>(dialog);
            ++folderDialogs;
            EXPECT_TRUE(ShowActive(folder));
            shownTitle = folder.ED01->text();
            shownPath = folder.EE01->text();
            shownLock = folder.CHB01->isChecked();
            folder.ED01->clear();
            folder.EE01->clear();
            TypeText(folder.ED01, answer.title);
            TypeText(folder.EE01, answer.path);
            if (folder.CHB01->isChecked() != answer.lock)
                QTest::mouseClick(folder.CHB01, Qt::LeftButton, {}, QPoint(5, 8));
            QTest::mouseClick(answer.accept ? folder.Button4 : folder.Button5, Qt::LeftButton);
            return folder.result();
        };
    }

    void ShowCategory(int category) {
        form.PC1->setCurrentIndex(category);
        QApplication::processEvents();
    }

    TConfig_Form form;
    int folderDialogs = 0;
    QString shownTitle;
    QString shownPath;
    bool shownLock = false;
};

TEST_F(ConfigFormTest, CaptionSizeTabsAndButtons) {
    const DialogUnits u;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("環境設定"));
    EXPECT_EQ(form.size(), u(QSize(472, 286)));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.font().families().value(0), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(form.font().pixelSize(), u(12));
    ASSERT_EQ(form.PC1->count(), 4);
    const QStringList tabs = {QStringLiteral("全般"), QStringLiteral("my Video"),
                              QStringLiteral("my Music"), QStringLiteral("my Picture")};
    for (int i = 0; i < tabs.size(); ++i)
        EXPECT_EQ(form.PC1->tabText(i), tabs[i]);
    EXPECT_EQ(form.PC1->geometry(), u(QRect(0, 0, 472, 252)));
    EXPECT_EQ(form.Panel1->geometry(), u(QRect(0, 252, 472, 34)));
    EXPECT_EQ(form.Button4->text(), QStringLiteral("OK"));
    EXPECT_EQ(form.Button5->text(), QStringLiteral("キャンセル"));
    EXPECT_TRUE(form.Button4->isDefault());
    EXPECT_EQ(form.SE01->minimum(), 0);
    EXPECT_EQ(form.SE01->maximum(), 999);
    EXPECT_EQ(form.SE01->value(), 10);
}

TEST_F(ConfigFormTest, JapaneseCaptionsHaveGlyphs) {
    const QFontMetrics metrics(form.font());
    const QStringList captions = {form.windowTitle(),
                                  form.PC1->tabText(0),
                                  form.Label1->text(),
                                  form.Label2->text(),
                                  form.Label3->text(),
                                  form.Label4->text(),
                                  form.Label5->text(),
                                  form.Button1->text(),
                                  form.Button2->text(),
                                  form.Button3->text(),
                                  form.Button5->text(),
                                  form.LV1->headerItem()->text(0),
                                  form.LV1->headerItem()->text(1),
                                  form.LV1->headerItem()->text(2)};
    for (const QString& caption : captions)
        for (QChar c : caption)
            EXPECT_TRUE(metrics.inFont(c)) << caption.toStdString();
}

struct Placement {
    const char* name;
    std::function<QWidget*(TConfig_Form&)> control;
    QRect bounds; // an empty size: only the position is fixed
    const char* caption;
};

void PrintTo(const Placement& c, std::ostream* out) {
    *out << c.name;
}

class ConfigPlacement : public ConfigFormTest, public ::testing::WithParamInterface<Placement> {};

TEST_P(ConfigPlacement, ControlSitsWhereItBelongs) {
    const Placement p = GetParam();
    const DialogUnits u;
    QWidget* control = p.control(form);
    if (p.bounds.isEmpty())
        EXPECT_EQ(control->pos(), u(p.bounds.topLeft()));
    else
        EXPECT_EQ(control->geometry(), u(p.bounds));
    if (*p.caption) {
        const auto* label = qobject_cast<QLabel*>(control);
        const auto* button = qobject_cast<QPushButton*>(control);
        EXPECT_EQ(label ? label->text() : button->text(), QString::fromUtf8(p.caption));
    }
}

#define AT(member) [](TConfig_Form& f) -> QWidget* { return f.member; }
INSTANTIATE_TEST_SUITE_P(
    Controls, ConfigPlacement,
    ::testing::Values(Placement{"Label1", AT(Label1), QRect(4, 12, 0, 0), "終了コード(&E):"},
                      Placement{"ED01", AT(ED01), QRect(120, 8, 153, 20), ""},
                      Placement{"Label2", AT(Label2), QRect(4, 36, 0, 0),
                                "アクティブディレイ(&A):"},
                      Placement{"SE01", AT(SE01), QRect(120, 32, 53, 21), ""},
                      Placement{"Label3", AT(Label3), QRect(4, 12, 0, 0), "ロック解除コード(&U):"},
                      Placement{"ED101", AT(ED101), QRect(120, 8, 153, 20), ""},
                      Placement{"Label4", AT(Label4), QRect(4, 36, 0, 0), "表示する拡張子(&X):"},
                      Placement{"ED102", AT(ED102), QRect(120, 32, 341, 20), ""},
                      Placement{"Label5", AT(Label5), QRect(4, 60, 0, 0), "フォルダ(&F):"},
                      Placement{"LV1", AT(LV1), QRect(4, 76, 457, 117), ""},
                      Placement{"Button1", AT(Button1), QRect(8, 200, 75, 22), "追加(&A)"},
                      Placement{"Button2", AT(Button2), QRect(88, 200, 75, 22), "編集(&E)"},
                      Placement{"Button3", AT(Button3), QRect(168, 200, 75, 22), "削除(&D)"},
                      Placement{"Label8", AT(Label8), QRect(4, 60, 0, 0), "フォルダ(&F):"},
                      Placement{"ED202", AT(ED202), QRect(120, 32, 341, 20), ""},
                      Placement{"LV2", AT(LV2), QRect(4, 76, 457, 117), ""},
                      Placement{"Button8", AT(Button8), QRect(168, 200, 75, 22), "削除(&D)"},
                      Placement{"Label9", AT(Label9), QRect(4, 12, 0, 0), "ロック解除コード(&U):"},
                      Placement{"ED301", AT(ED301), QRect(120, 8, 153, 20), ""},
                      Placement{"LV3", AT(LV3), QRect(4, 76, 457, 117), ""},
                      Placement{"Button9", AT(Button9), QRect(8, 200, 75, 22), "追加(&A)"},
                      Placement{"Button4", AT(Button4), QRect(312, 8, 75, 22), "OK"},
                      Placement{"Button5", AT(Button5), QRect(392, 8, 75, 22), "キャンセル"}),
    [](const auto& info) { return std::string(info.param.name); });
#undef AT

TEST_F(ConfigFormTest, FolderListsHaveTheirColumns) {
    const DialogUnits u;
    for (QTreeWidget* list : {form.LV1, form.LV2, form.LV3}) {
        ASSERT_EQ(list->columnCount(), 3);
        EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("タイトル"));
        EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("パス"));
        EXPECT_EQ(list->headerItem()->text(2), QStringLiteral("ロック"));
        EXPECT_EQ(list->columnWidth(0), u(102));
        EXPECT_EQ(list->columnWidth(1), u(300));
        EXPECT_EQ(list->columnWidth(2), u(50));
        EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
        EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    }
}

TEST_F(ConfigFormTest, AlwaysOpensOnTheFirstTab) {
    TConfig_Form fresh;
    fresh.PC1->setCurrentIndex(3);
    ASSERT_TRUE(ShowActive(fresh));
    EXPECT_EQ(fresh.PC1->currentIndex(), 0);
    // Only the first showing of a dialog object resets the tab.
    fresh.hide();
    fresh.PC1->setCurrentIndex(2);
    ASSERT_TRUE(ShowActive(fresh));
    EXPECT_EQ(fresh.PC1->currentIndex(), 2);
}

TEST_F(ConfigFormTest, GeneralTabOrderAndAccelerators) {
    form.ED01->setFocus();
    QTest::keyClick(form.ED01, Qt::Key_Tab);
    EXPECT_TRUE(form.SE01->hasFocus());
    QTest::keyClick(&form, Qt::Key_E, Qt::AltModifier);
    EXPECT_TRUE(form.ED01->hasFocus());
    QTest::keyClick(&form, Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(form.SE01->hasFocus());
}

class CategoryTab : public ConfigFormTest, public ::testing::WithParamInterface<int> {
protected:
    struct Controls {
        QLineEdit* unlock;
        QLineEdit* extensions;
        QTreeWidget* list;
        QPushButton* add;
        QPushButton* edit;
        QPushButton* remove;
    };
    Controls Tab() {
        switch (GetParam()) {
        case 1:
            return {form.ED101, form.ED102, form.LV1, form.Button1, form.Button2, form.Button3};
        case 2:
            return {form.ED201, form.ED202, form.LV2, form.Button6, form.Button7, form.Button8};
        default:
            return {form.ED301, form.ED302, form.LV3, form.Button9, form.Button10, form.Button11};
        }
    }
    void SetUp() override {
        ConfigFormTest::SetUp();
        ShowCategory(GetParam());
    }
};

TEST_P(CategoryTab, TabOrderRunsUnlockExtensionsListAddEditDelete) {
    const Controls tab = Tab();
    tab.unlock->setFocus();
    for (QWidget* next : QList<QWidget*>{tab.extensions, tab.list, tab.add, tab.edit, tab.remove}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

TEST_P(CategoryTab, AcceleratorsFocusTheirFields) {
    const Controls tab = Tab();
    QTest::keyClick(&form, Qt::Key_U, Qt::AltModifier);
    EXPECT_TRUE(tab.unlock->hasFocus());
    QTest::keyClick(&form, Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(tab.extensions->hasFocus());
    QTest::keyClick(&form, Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(tab.list->hasFocus());
}

TEST_P(CategoryTab, AddAppendsToThisTabsListOnly) {
    const Controls tab = Tab();
    form.AddFolderRow(GetParam(), Row("Old", "/old", "Off"));
    ModalHookScope hook(FolderDialogAnswering({QStringLiteral("New"), QStringLiteral("/new/")}));
    QTest::mouseClick(tab.add, Qt::LeftButton);
    EXPECT_EQ(folderDialogs, 1);
    EXPECT_TRUE(shownTitle.isEmpty());
    EXPECT_TRUE(shownPath.isEmpty());
    EXPECT_FALSE(shownLock);
    EXPECT_EQ(Flat(form.FolderRows(GetParam())),
              (Flat({Row("Old", "/old", "Off"), Row("New", "/new", "Off")})));
    EXPECT_TRUE(tab.list->selectedItems().isEmpty());
    for (int other = 1; other <= 3; ++other)
        if (other != GetParam()) {
            EXPECT_TRUE(form.FolderRows(other).isEmpty());
        }
}

TEST_P(CategoryTab, EditFillsTheDialogAndReplacesTheRowInPlace) {
    const Controls tab = Tab();
    form.AddFolderRow(GetParam(), Row("A", "/a", "Off"));
    form.AddFolderRow(GetParam(), Row("B", "/b", "On"));
    form.AddFolderRow(GetParam(), Row("C", "/c", "Off"));
    tab.list->topLevelItem(1)->setSelected(true);
    ModalHookScope hook(
        FolderDialogAnswering({QStringLiteral(" Bee "), QStringLiteral("/bee//"), false}));
    QTest::mouseClick(tab.edit, Qt::LeftButton);
    EXPECT_EQ(shownTitle, QStringLiteral("B"));
    EXPECT_EQ(shownPath, QStringLiteral("/b"));
    EXPECT_TRUE(shownLock);
    EXPECT_EQ(Flat(form.FolderRows(GetParam())),
              (Flat({Row("A", "/a", "Off"), Row("Bee", "/bee/", "Off"), Row("C", "/c", "Off")})));
}

TEST_P(CategoryTab, DeleteTheMiddleOfThreeRows) {
    const Controls tab = Tab();
    form.AddFolderRow(GetParam(), Row("A", "/a", "Off"));
    form.AddFolderRow(GetParam(), Row("B", "/b", "On"));
    form.AddFolderRow(GetParam(), Row("C", "/c", "On"));
    ShowCategory(GetParam());
    QTest::mouseClick(tab.list->viewport(), Qt::LeftButton, {},
                      tab.list->visualItemRect(tab.list->topLevelItem(1)).center());
    ASSERT_EQ(tab.list->selectedItems().value(0), tab.list->topLevelItem(1));
    ModalHookScope hook([](QDialog&) -> int { throw AppError(QStringLiteral("no dialog here")); });
    QTest::mouseClick(tab.remove, Qt::LeftButton);
    EXPECT_EQ(Flat(form.FolderRows(GetParam())),
              (Flat({Row("A", "/a", "Off"), Row("C", "/c", "On")})));
    // Nothing is selected afterwards, so pressing Delete again removes nothing more.
    EXPECT_TRUE(tab.list->selectedItems().isEmpty());
    QTest::mouseClick(tab.remove, Qt::LeftButton);
    EXPECT_EQ(tab.list->topLevelItemCount(), 2);
}

TEST_P(CategoryTab, EditAndDeleteWithoutSelectionDoNothing) {
    const Controls tab = Tab();
    form.AddFolderRow(GetParam(), Row("A", "/a", "Off"));
    ModalHookScope hook(FolderDialogAnswering({QStringLiteral("X"), QStringLiteral("/x")}));
    QTest::mouseClick(tab.edit, Qt::LeftButton);
    QTest::mouseClick(tab.remove, Qt::LeftButton);
    EXPECT_EQ(folderDialogs, 0);
    EXPECT_EQ(Flat(form.FolderRows(GetParam())), Flat({Row("A", "/a", "Off")}));
}

INSTANTIATE_TEST_SUITE_P(Categories, CategoryTab, ::testing::Values(1, 2, 3));

struct AddCase {
    FolderAnswer answer;
    FolderRow row;
};

void PrintTo(const AddCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(c.answer.title) << " "
         << ::testing::PrintToString(c.answer.path);
}

class AddedRow : public ConfigFormTest, public ::testing::WithParamInterface<AddCase> {};

TEST_P(AddedRow, TitleIsTrimmedAndOneTrailingSeparatorGoes) {
    ShowCategory(1);
    ModalHookScope hook(FolderDialogAnswering(GetParam().answer));
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    EXPECT_EQ(Flat(form.FolderRows(1)), Flat({GetParam().row}));
}

INSTANTIATE_TEST_SUITE_P(
    Entries, AddedRow,
    ::testing::Values(AddCase{{QStringLiteral("  Movies  "), QStringLiteral("/media/films")},
                              Row("Movies", "/media/films", "Off")},
                      AddCase{{QStringLiteral("Root"), QStringLiteral("/"), true},
                              Row("Root", "/", "On")},
                      AddCase{{QStringLiteral("Films"), QStringLiteral("/media/films//")},
                              Row("Films", "/media/films/", "Off")},
                      AddCase{{QStringLiteral("Music"), QStringLiteral("/srv/music/"), true},
                              Row("Music", "/srv/music", "On")},
                      AddCase{{QStringLiteral("写真"), QStringLiteral("/home/写真/")},
                              Row("写真", "/home/写真", "Off")},
                      AddCase{{QString(), QString()}, Row("", "", "Off")}));

TEST_F(ConfigFormTest, ControlCharactersAroundTheTitleGo) {
    ShowCategory(2);
    ModalHookScope hook([](QDialog& dialog) {
        auto& folder = dynamic_cast<TFolder_Form&>(dialog);
        folder.ED01->setText(QStringLiteral("\t\x01 Live Shows \x7f\n"));
        folder.EE01->setText(QStringLiteral("/srv/live"));
        return 1;
    });
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    EXPECT_EQ(Flat(form.FolderRows(2)), Flat({Row("Live Shows", "/srv/live", "Off")}));
}

TEST_F(ConfigFormTest, AddThenCancelLeavesTheListAlone) {
    ShowCategory(3);
    form.AddFolderRow(3, Row("Trips", "/photos/trips", "On"));
    FolderAnswer cancelled{QStringLiteral("New"), QStringLiteral("/new")};
    cancelled.accept = false;
    ModalHookScope hook(FolderDialogAnswering(cancelled));
    QTest::mouseClick(form.Button9, Qt::LeftButton);
    EXPECT_EQ(folderDialogs, 1);
    EXPECT_EQ(Flat(form.FolderRows(3)), Flat({Row("Trips", "/photos/trips", "On")}));
}

TEST_F(ConfigFormTest, FocusComesBackAfterTheFolderDialogSoAcceleratorsWork) {
    ShowCategory(1);
    form.AddFolderRow(1, Row("Films", "/films", "Off"));
    form.LV1->setCurrentItem(form.LV1->topLevelItem(0));
    ModalHookScope hook(FolderDialogAnswering({QStringLiteral("Movies"), QStringLiteral("/m")}));
    // A button's accelerator clicks it a moment later, as a click would look.
    QTest::keyClick(&form, Qt::Key_A, Qt::AltModifier); // Add
    ASSERT_TRUE(QTest::qWaitFor([this] { return folderDialogs == 1; }));
    EXPECT_EQ(QApplication::activeWindow(), &form);
    QTest::keyClick(&form, Qt::Key_E, Qt::AltModifier); // Edit
    ASSERT_TRUE(QTest::qWaitFor([this] { return folderDialogs == 2; }));
    EXPECT_EQ(QApplication::activeWindow(), &form);
}

TEST_F(ConfigFormTest, EscAndCloseBoxInTheFolderDialogCancelTheAdd) {
    ShowCategory(1);
    bool stayedOpenOnEsc = false;
    ModalHookScope hook([&](QDialog& dialog) {
        auto& folder = dynamic_cast<TFolder_Form&>(dialog);
        EXPECT_TRUE(ShowActive(folder));
        QTest::keyClicks(folder.ED01, QStringLiteral("Movies"));
        QTest::keyClick(folder.ED01, Qt::Key_Escape);
        stayedOpenOnEsc = folder.isVisible();
        folder.close();
        return folder.result();
    });
    QTest::mouseClick(form.Button1, Qt::LeftButton);
    EXPECT_TRUE(stayedOpenOnEsc);
    EXPECT_TRUE(form.FolderRows(1).isEmpty());
}

TEST_F(ConfigFormTest, BrowsedFolderBecomesTheRowsPath) {
    ShowCategory(2);
    FolderChooserScope chooser(
        [](QWidget*, const QString&, const QString&) -> std::optional<QString> {
            return QStringLiteral("/");
        });
    ModalHookScope hook([](QDialog& dialog) {
        auto& folder = dynamic_cast<TFolder_Form&>(dialog);
        EXPECT_TRUE(ShowActive(folder));
        QTest::keyClicks(folder.ED01, QStringLiteral("Everything"));
        QTest::mouseClick(folder.EE01->Button(), Qt::LeftButton);
        QTest::mouseClick(folder.Button4, Qt::LeftButton);
        return folder.result();
    });
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    EXPECT_EQ(Flat(form.FolderRows(2)), Flat({Row("Everything", "/", "Off")}));
}

TEST_F(ConfigFormTest, EditTicksLockOnlyForExactlyOn) {
    ShowCategory(1);
    form.AddFolderRow(1, Row("A", "/a", "on"));
    form.LV1->topLevelItem(0)->setSelected(true);
    FolderAnswer cancelled;
    cancelled.accept = false;
    ModalHookScope hook(FolderDialogAnswering(cancelled));
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    EXPECT_FALSE(shownLock);
    EXPECT_EQ(Flat(form.FolderRows(1)), Flat({Row("A", "/a", "on")}));
}

TEST_F(ConfigFormTest, SpinEditPullsACallersValueIntoItsBounds) {
    form.SetActiveDelay(1500);
    EXPECT_EQ(form.ActiveDelay(), 999);
    EXPECT_EQ(form.SE01->text(), QStringLiteral("999"));
    form.SetActiveDelay(-3);
    EXPECT_EQ(form.ActiveDelay(), 0);
}

struct TypedDelay {
    const char* typed;
    int value;
    const char* shownAfterLeaving;
};

void PrintTo(const TypedDelay& c, std::ostream* out) {
    *out << QuotedForTest(c.typed);
}

class SpinEditTyping : public ConfigFormTest, public ::testing::WithParamInterface<TypedDelay> {};

TEST_P(SpinEditTyping, ReadsTheTypedTextAndClampsOnLeaving) {
    const TypedDelay c = GetParam();
    form.SE01->setFocus();
    form.SE01->selectAll();
    QTest::keyClick(form.SE01, Qt::Key_Delete);
    QTest::keyClicks(form.SE01, QString::fromUtf8(c.typed));
    EXPECT_EQ(form.ActiveDelay(), c.value);
    QTest::keyClick(form.SE01, Qt::Key_Tab);
    EXPECT_FALSE(form.SE01->hasFocus());
    EXPECT_EQ(form.ActiveDelay(), c.value);
    EXPECT_EQ(form.SE01->text(), QString::fromUtf8(c.shownAfterLeaving));
}

INSTANTIATE_TEST_SUITE_P(Texts, SpinEditTyping,
                         ::testing::Values(TypedDelay{"1500", 999, "999"},
                                           TypedDelay{"42", 42, "42"}, TypedDelay{"", 0, "0"},
                                           TypedDelay{"-", 0, "0"}, TypedDelay{"-7", 0, "0"},
                                           TypedDelay{"1-2", 0, "0"}, TypedDelay{"3.5", 0, "0"},
                                           TypedDelay{"+12", 12, "12"},
                                           TypedDelay{"99999999999999999999", 0, "0"},
                                           TypedDelay{"1a2b", 12, "12"}));

TEST_F(ConfigFormTest, SpinEditStepsByOneWithinItsBounds) {
    form.SetActiveDelay(998);
    form.SE01->setFocus();
    QTest::keyClick(form.SE01, Qt::Key_Up);
    QTest::keyClick(form.SE01, Qt::Key_Up);
    EXPECT_EQ(form.ActiveDelay(), 999);
    form.SetActiveDelay(1);
    QTest::keyClick(form.SE01, Qt::Key_Down);
    QTest::keyClick(form.SE01, Qt::Key_Down);
    EXPECT_EQ(form.ActiveDelay(), 0);
}

// How the dialog is closed, and the result it gives.
struct Closing {
    const char* name;
    std::function<void(TConfig_Form&)> close;
    int result;
};

void PrintTo(const Closing& c, std::ostream* out) {
    *out << c.name;
}

class ConfigClosing : public ::testing::TestWithParam<Closing> {};

TEST_P(ConfigClosing, GivesItsResult) {
    TConfig_Form form;
    form.SetExitCode(QStringLiteral("81536047"));
    ModalHookScope hook([](QDialog& dialog) {
        auto& config = dynamic_cast<TConfig_Form&>(dialog);
        EXPECT_TRUE(ShowActive(config));
        GetParam().close(config);
        EXPECT_FALSE(config.isVisible());
        return config.result();
    });
    EXPECT_EQ(form.ShowModal(), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ConfigClosing,
    ::testing::Values(Closing{"OkButton",
                              [](TConfig_Form& f) { QTest::mouseClick(f.Button4, Qt::LeftButton); },
                              1},
                      Closing{"EnterInExitCode",
                              [](TConfig_Form& f) { QTest::keyClick(f.ED01, Qt::Key_Return); }, 1},
                      Closing{"CancelButton",
                              [](TConfig_Form& f) { QTest::mouseClick(f.Button5, Qt::LeftButton); },
                              2},
                      Closing{"EscInExitCode",
                              [](TConfig_Form& f) { QTest::keyClick(f.ED01, Qt::Key_Escape); }, 2},
                      Closing{"EscInFolderList",
                              [](TConfig_Form& f) {
                                  f.PC1->setCurrentIndex(1);
                                  f.LV1->setFocus();
                                  QTest::keyClick(f.LV1, Qt::Key_Escape);
                              },
                              2},
                      Closing{"CloseBox", [](TConfig_Form& f) { f.close(); }, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigurationDialogInterface, RoundTripThroughTheFactorysDialog) {
    std::unique_ptr<ConfigurationDialog> dialog = MakeConfigurationDialog();
    ASSERT_NE(dynamic_cast<TConfig_Form*>(dialog.get()), nullptr);
    dialog->SetExitCode(QStringLiteral("81536047"));
    dialog->SetActiveDelay(25);
    for (int category = 1; category <= 3; ++category) {
        dialog->SetUnlockCode(category, QStringLiteral("%1%1").arg(category));
        dialog->SetExtensions(category, QStringLiteral(".ext%1,.b").arg(category));
        dialog->AddFolderRow(category,
                             {QStringLiteral("T%1").arg(category),
                              QStringLiteral("/f%1").arg(category), QStringLiteral("On")});
        dialog->AddFolderRow(category, {QString(), QString(), QStringLiteral("Off")});
    }
    ModalHookScope hook([](QDialog& shown) {
        auto& config = dynamic_cast<TConfig_Form&>(shown);
        EXPECT_TRUE(ShowActive(config));
        EXPECT_EQ(config.ED101->text(), QStringLiteral("11"));
        EXPECT_EQ(config.LV3->topLevelItem(0)->text(0), QStringLiteral("T3"));
        QTest::mouseClick(config.Button4, Qt::LeftButton);
        return config.result();
    });
    ASSERT_EQ(dialog->ShowModal(), 1);
    EXPECT_EQ(dialog->ExitCode(), QStringLiteral("81536047"));
    EXPECT_EQ(dialog->ActiveDelay(), 25);
    for (int category = 1; category <= 3; ++category) {
        EXPECT_EQ(dialog->UnlockCode(category), QStringLiteral("%1%1").arg(category));
        EXPECT_EQ(dialog->Extensions(category), QStringLiteral(".ext%1,.b").arg(category));
        EXPECT_EQ(Flat(dialog->FolderRows(category)),
                  (Flat({{QStringLiteral("T%1").arg(category), QStringLiteral("/f%1").arg(category),
                          QStringLiteral("On")},
                         {QString(), QString(), QStringLiteral("Off")}})));
    }
}

// OK is refused, with a message naming the field, while a code cannot be typed on the remote.
struct CodeCase {
    const char* name;
    const char* exitCode;
    const char* unlockCode; // for "my Music"
    int tab;                // where the dialog sends the owner; -1: accepted
    const char* message;    // the start of the message
};

void PrintTo(const CodeCase& c, std::ostream* out) {
    *out << c.name;
}

class ConfigCodes : public ::testing::TestWithParam<CodeCase> {};

TEST_P(ConfigCodes, AreCheckedWhenOkIsPressed) {
    const CodeCase& c = GetParam();
    TConfig_Form form;
    form.SetExitCode(QString::fromUtf8(c.exitCode));
    form.SetUnlockCode(2, QString::fromUtf8(c.unlockCode));
    int accepts = 0;
    form.OnAccept = [&accepts] { ++accepts; };
    MessageCapture messages;
    ModalHookScope hook([&](QDialog& dialog) {
        auto& config = dynamic_cast<TConfig_Form&>(dialog);
        EXPECT_TRUE(ShowActive(config));
        config.PC1->setCurrentIndex(3);
        QTest::mouseClick(config.Button4, Qt::LeftButton);
        if (c.tab >= 0) {
            EXPECT_TRUE(config.isVisible());
            EXPECT_EQ(config.PC1->currentIndex(), c.tab);
            QLineEdit* field = c.tab == 0 ? config.ED01 : config.ED201;
            EXPECT_TRUE(field->hasFocus());
            config.reject();
        }
        return config.result();
    });
    const int result = form.ShowModal();
    if (c.tab < 0) {
        EXPECT_EQ(result, 1);
        EXPECT_EQ(accepts, 1);
        EXPECT_TRUE(messages.texts.isEmpty());
        return;
    }
    EXPECT_EQ(result, 2);
    EXPECT_EQ(accepts, 0);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith(QString::fromUtf8(c.message)))
        << messages.texts[0].toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigCodes,
    ::testing::Values(
        CodeCase{"EmptyExitCode", "", "", 0, "\"終了コード\" must be 1 to 32 digits"},
        CodeCase{"ExitCodeWithALetter", "12a4", "", 0, "\"終了コード\" must be 1 to 32 digits"},
        CodeCase{"ExitCodeWithABlank", " 1234", "", 0, "\"終了コード\""},
        CodeCase{"ExitCodeOfOtherDigits", "١٢٣", "", 0, "\"終了コード\""},
        CodeCase{"ExitCodeOf33Digits", "123456789012345678901234567890123", "", 0,
                 "\"終了コード\""},
        CodeCase{"UnlockCodeWithALetter", "4711", "12x", 2,
                 "\"ロック解除コード\" of \"my Music\" may hold only digits"},
        CodeCase{"ExitCodeOf32Digits", "12345678901234567890123456789012", "1", -1, ""},
        CodeCase{"OneDigitAndNoLock", "0", "", -1, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigurationDialogInterface, UnknownCategoryIsAnError) {
    TConfig_Form form;
    EXPECT_THROW(form.SetUnlockCode(0, QStringLiteral("x")), AppError);
    EXPECT_THROW(form.FolderRows(4), AppError);
    EXPECT_THROW(form.Add_Click(nullptr), AppError);
}

} // namespace
