#include "dialog_test_support.h"
#include "dialogs/config.h"
#include "dialogs/dialog_kit.h"
#include "dialogs/ellips_ed.h"
#include "dialogs/folder.h"
#include "dialogs/spin_edit.h"

#include "screen_look.h"
#include "translation_scope.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {
using Beside = std::pair<QLabel*, QWidget*>;

// The right end of what a label paints, in its parent's coordinates.
int InkRight(QLabel& label) {
    const QRect ink = InkBounds(Rendered(label, Qt::white), label.rect(), Qt::white);
    return label.x() + ink.right();
}

void ExpectLabelsClear(const std::vector<Beside>& pairs) {
    for (auto [label, control] : pairs) {
        EXPECT_TRUE(label->isVisible()) << label->text().toStdString();
        EXPECT_LT(InkRight(*label), control->x()) << label->text().toStdString();
    }
}

// The labels of each settings tab with the controls beside them, and the tab's buttons.
struct SettingsTab {
    std::vector<Beside> labels;
    std::vector<QPushButton*> buttons;
    QCheckBox* box = nullptr; // beside the buttons
};

std::vector<SettingsTab> TabsOf(TConfig_Form& f) {
    return {
        {{{f.Label1, f.ED01}, {f.Label2, f.SE01}}, {}},
        {{{f.Label3, f.ED101}, {f.Label4, f.ED102}}, {f.Button1, f.Button2, f.Button3}, f.CHB101},
        {{{f.Label6, f.ED201}, {f.Label7, f.ED202}}, {f.Button6, f.Button7, f.Button8}, f.CHB201},
        {{{f.Label9, f.ED301}, {f.Label10, f.ED302}}, {f.Button9, f.Button10, f.Button11}}};
}

// Every tab in turn: labels clear of their controls, the buttons whole on the page.
void ExpectEveryTabFits(TConfig_Form& form) {
    const std::vector<SettingsTab> tabs = TabsOf(form);
    for (int i = 0; i < form.PC1->count(); ++i) {
        form.PC1->setCurrentIndex(i);
        QApplication::processEvents();
        ExpectLabelsClear(tabs[size_t(i)].labels);
        for (QPushButton* button : tabs[size_t(i)].buttons)
            EXPECT_LT(button->geometry().bottom(), form.PC1->currentWidget()->height())
                << "tab " << i;
        if (QCheckBox* box = tabs[size_t(i)].box) {
            // Its whole caption on the page, clear of the buttons.
            EXPECT_LE(box->sizeHint().width(), box->width()) << box->text().toStdString();
            EXPECT_LT(box->geometry().right(), form.PC1->currentWidget()->width());
            EXPECT_GT(box->x(), tabs[size_t(i)].buttons.back()->geometry().right());
            EXPECT_LT(box->geometry().bottom(), form.PC1->currentWidget()->height());
        }
    }
    EXPECT_LE(form.Button5->geometry().right(), form.Panel1->width());
}

// A font that runs much wider than any the layout was made for.
QFont Widened(QFont font) {
    font.setLetterSpacing(QFont::PercentageSpacing, 160);
    return font;
}

// Every screen size, in the sources' texts and in English, whose labels are longer.
struct LookCase {
    QSize screen;
    const char* language;
};

void PrintTo(const LookCase& c, std::ostream* out) {
    *out << c.screen.width() << "x" << c.screen.height() << " " << c.language;
}

std::vector<LookCase> LookCases() {
    std::vector<LookCase> cases;
    for (const QSize& size : kLookScreenSizes)
        for (const char* language : {"sources", "en"})
            cases.push_back({size, language});
    return cases;
}

class DialogLook : public ::testing::TestWithParam<LookCase> {
protected:
    void SetUp() override {
        if (!screen.Applied())
            GTEST_SKIP() << "the screen size can be set on the offscreen platform only";
        if (English()) {
            ASSERT_TRUE(english.emplace(QStringLiteral("en")).Loaded());
        }
    }
    bool English() const { return std::string(GetParam().language) == "en"; }
    int ScreenHeight() const { return GetParam().screen.height(); }

    // Readable across the room: text a fortieth of the screen high, the dialog at least half of
    // it, and all of it on the screen.
    void ExpectTenFoot(QDialog& dialog) {
        EXPECT_GE(dialog.fontInfo().pixelSize() * 40, ScreenHeight());
        for (const QWidget* control : dialog.findChildren<QWidget*>()) {
            if (qobject_cast<const QLabel*>(control) ||
                qobject_cast<const QAbstractButton*>(control) ||
                qobject_cast<const QLineEdit*>(control)) {
                EXPECT_GE(control->fontInfo().pixelSize() * 40, ScreenHeight())
                    << control->metaObject()->className();
            }
        }
        EXPECT_GE(dialog.height() * 2, ScreenHeight());
        EXPECT_TRUE(QRect(QPoint(), GetParam().screen).contains(dialog.frameGeometry()))
            << dialog.frameGeometry().width() << "x" << dialog.frameGeometry().height();
    }

    const ScreenSizeScope screen{GetParam().screen};
    std::optional<TranslationScope> english;
};

std::string LookCaseName(const ::testing::TestParamInfo<LookCase>& info) {
    return std::to_string(info.param.screen.width()) + "x" +
           std::to_string(info.param.screen.height()) + "_" + info.param.language;
}
} // namespace

TEST(DialogUnitsTest, AFortiethOfTheScreenForTextRoundedUp) {
    EXPECT_EQ(DialogUnits(1080)(12), 27);
    EXPECT_EQ(DialogUnits(2160)(12), 54);
    EXPECT_EQ(DialogUnits(768)(12), 20); // 19.2: never smaller than a fortieth
    EXPECT_EQ(DialogUnits(720)(12), 18);
    // Below 480 lines a unit stays a pixel.
    EXPECT_EQ(DialogUnits(0)(12), 12);
    EXPECT_EQ(DialogUnits(1080)(QRect(120, 8, 153, 20)), QRect(270, 18, 345, 45));
    EXPECT_EQ(DialogUnits(1080).Scale(), 2);
    EXPECT_EQ(DialogUnits(2160).Scale(), 4);
}

TEST_P(DialogLook, SettingsDialogScalesWithTheScreenAndFits) {
    TConfig_Form form;
    ASSERT_TRUE(ShowActive(form));
    const DialogUnits u(ScreenHeight());
    EXPECT_EQ(form.font().pixelSize(), u(12));
    EXPECT_EQ(form.windowTitle(),
              English() ? QStringLiteral("Settings") : QStringLiteral("環境設定"));
    if (!English()) {
        // The layout as drawn, where the labels fit it.
        EXPECT_EQ(form.ED01->geometry(), u(QRect(120, 8, 153, 20)));
        EXPECT_EQ(form.LV1->geometry(), u(QRect(4, 76, 457, 117)));
        EXPECT_EQ(form.LV1->columnWidth(1), u(300));
        EXPECT_EQ(form.Button4->geometry(), u(QRect(312, 8, 75, 22)));
    }
    ExpectTenFoot(form);
    ExpectEveryTabFits(form);
}

TEST_P(DialogLook, FolderDialogScalesWithTheScreenAndFits) {
    TFolder_Form form;
    ASSERT_TRUE(ShowActive(form));
    const DialogUnits u(ScreenHeight());
    // The layout as drawn, moved right as a whole where the labels need more room.
    const int pushed = form.ED01->x() - u(76);
    EXPECT_GE(pushed, 0);
    EXPECT_EQ(form.size(), u(QSize(312, 240)) + QSize(pushed, 0));
    EXPECT_EQ(form.ED01->geometry(), u(QRect(76, 36, 153, 20)).translated(pushed, 0));
    EXPECT_EQ(form.EE01->geometry().topLeft(), u(QPoint(76, 84)) + QPoint(pushed, 0));
    EXPECT_EQ(form.Button5->geometry(), u(QRect(229, 204, 75, 24)).translated(pushed, 0));
    ExpectTenFoot(form);
    EXPECT_TRUE(form.EE01->Button()->isVisible());
    EXPECT_LT(form.EE01->Button()->geometry().bottom(), form.EE01->height());
    EXPECT_LE(form.EE01->geometry().bottom(), form.CHB01->y());
    EXPECT_LE(form.CHB01->geometry().bottom(), form.Bevel1->geometry().bottom());
    EXPECT_LE(form.Bevel1->geometry().bottom(), form.Button4->y());
    EXPECT_LE(form.Button5->geometry().right(), form.width());
    ExpectLabelsClear({{form.Label3, form.ED01}, {form.Label1, form.EE01}});
}

INSTANTIATE_TEST_SUITE_P(Screens, DialogLook, ::testing::ValuesIn(LookCases()), LookCaseName);

TEST(DialogFallback, SettingsLabelsTooWideForTheLayoutPushTheControlsRight) {
    TConfig_Form form;
    const DialogUnits u;
    form.setFont(Widened(form.font()));
    ASSERT_TRUE(ShowActive(form));
    const int pushed = form.ED01->x() - u(120);
    EXPECT_GT(pushed, 0);
    EXPECT_EQ(form.width(), u(472) + pushed);
    for (QWidget* control : std::initializer_list<QWidget*>{form.SE01, form.ED101, form.ED302})
        EXPECT_EQ(control->x(), u(120) + pushed);
    // The list and the extension edit still end together, the buttons keep their right margin.
    EXPECT_EQ(form.ED102->geometry().right(), form.LV1->geometry().right());
    EXPECT_EQ(form.Button5->x(), u(392) + pushed);
    EXPECT_EQ(form.Button1->x(), u(8));
    ExpectEveryTabFits(form);
}

TEST(DialogFallback, FolderLabelsTooWideForTheLayoutPushTheFieldsRight) {
    TFolder_Form form;
    const DialogUnits u;
    form.setFont(Widened(form.font()));
    ASSERT_TRUE(ShowActive(form));
    const int pushed = form.ED01->x() - u(76);
    EXPECT_GT(pushed, 0);
    EXPECT_EQ(form.width(), u(312) + pushed);
    EXPECT_EQ(form.EE01->x(), u(76) + pushed);
    EXPECT_EQ(form.CHB01->x(), u(76) + pushed);
    EXPECT_EQ(form.Bevel1->width(), u(297) + pushed);
    EXPECT_EQ(form.Button4->x(), u(149) + pushed);
    ExpectLabelsClear({{form.Label3, form.ED01}, {form.Label1, form.EE01}});
}
