#include "dialog_test_support.h"
#include "dialogs/config.h"
#include "dialogs/dialog_kit.h"
#include "dialogs/ellips_ed.h"
#include "dialogs/folder.h"
#include "dialogs/spin_edit.h"

#include "screen_look.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

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
};

std::vector<SettingsTab> TabsOf(TConfig_Form& f) {
    return {{{{f.Label1, f.ED01}, {f.Label2, f.SE01}}, {}},
            {{{f.Label3, f.ED101}, {f.Label4, f.ED102}}, {f.Button1, f.Button2, f.Button3}},
            {{{f.Label6, f.ED201}, {f.Label7, f.ED202}}, {f.Button6, f.Button7, f.Button8}},
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
    }
    EXPECT_LE(form.Button5->geometry().right(), form.Panel1->width());
}

// A font that runs much wider than any the layout was made for.
QFont Widened(QFont font) {
    font.setLetterSpacing(QFont::PercentageSpacing, 160);
    return font;
}

class DialogLook : public ::testing::TestWithParam<QSize> {
protected:
    void SetUp() override {
        if (!screen.Applied())
            GTEST_SKIP() << "the screen size can be set on the offscreen platform only";
    }
    int Scale() const { return DialogScaleFor(GetParam().height()); }

    const ScreenSizeScope screen{GetParam()};
};
} // namespace

TEST(DialogScale, WholeFactorsOf1080Lines) {
    EXPECT_EQ(DialogScaleFor(720), 1);
    EXPECT_EQ(DialogScaleFor(1080), 1);
    EXPECT_EQ(DialogScaleFor(2159), 1);
    EXPECT_EQ(DialogScaleFor(2160), 2);
    EXPECT_EQ(DialogScaleFor(4320), 4);
    EXPECT_EQ(DialogScaleFor(0), 1);
    EXPECT_EQ(DialogUnits(2)(QRect(120, 8, 153, 20)), QRect(240, 16, 306, 40));
}

TEST_P(DialogLook, SettingsDialogScalesWithTheScreenAndFits) {
    TConfig_Form form;
    ASSERT_TRUE(ShowActive(form));
    const DialogUnits u(Scale());
    EXPECT_EQ(form.font().pixelSize(), u(12));
    EXPECT_EQ(form.size(), u(QSize(472, 286)));
    EXPECT_EQ(form.ED01->geometry(), u(QRect(120, 8, 153, 20)));
    EXPECT_EQ(form.LV1->geometry(), u(QRect(4, 76, 457, 117)));
    EXPECT_EQ(form.LV1->columnWidth(1), u(300));
    EXPECT_EQ(form.Button4->geometry(), u(QRect(312, 8, 75, 22)));
    ExpectEveryTabFits(form);
}

TEST_P(DialogLook, FolderDialogScalesWithTheScreenAndFits) {
    TFolder_Form form;
    ASSERT_TRUE(ShowActive(form));
    const DialogUnits u(Scale());
    EXPECT_EQ(form.size(), u(QSize(312, 120)));
    EXPECT_EQ(form.ED01->geometry(), u(QRect(76, 12, 153, 20)));
    EXPECT_EQ(form.EE01->geometry(), u(QRect(76, 36, 221, 20)));
    EXPECT_EQ(form.Button5->geometry(), u(QRect(229, 92, 75, 22)));
    EXPECT_TRUE(form.EE01->Button()->isVisible());
    EXPECT_LT(form.EE01->Button()->geometry().bottom(), form.EE01->height());
    ExpectLabelsClear({{form.Label3, form.ED01}, {form.Label1, form.EE01}});
}

INSTANTIATE_TEST_SUITE_P(Screens, DialogLook, ::testing::ValuesIn(kLookScreenSizes),
                         ScreenSizeName);

TEST(DialogFallback, SettingsLabelsTooWideForTheLayoutPushTheControlsRight) {
    TConfig_Form form;
    form.setFont(Widened(form.font()));
    ASSERT_TRUE(ShowActive(form));
    const int pushed = form.ED01->x() - 120;
    EXPECT_GT(pushed, 0);
    EXPECT_EQ(form.width(), 472 + pushed);
    for (QWidget* control : std::initializer_list<QWidget*>{form.SE01, form.ED101, form.ED302})
        EXPECT_EQ(control->x(), 120 + pushed);
    // The list and the extension edit still end together, the buttons keep their right margin.
    EXPECT_EQ(form.ED102->geometry().right(), form.LV1->geometry().right());
    EXPECT_EQ(form.Button5->x(), 392 + pushed);
    EXPECT_EQ(form.Button1->x(), 8);
    ExpectEveryTabFits(form);
}

TEST(DialogFallback, FolderLabelsTooWideForTheLayoutPushTheFieldsRight) {
    TFolder_Form form;
    form.setFont(Widened(form.font()));
    ASSERT_TRUE(ShowActive(form));
    const int pushed = form.ED01->x() - 76;
    EXPECT_GT(pushed, 0);
    EXPECT_EQ(form.width(), 312 + pushed);
    EXPECT_EQ(form.EE01->x(), 76 + pushed);
    EXPECT_EQ(form.CHB01->x(), 76 + pushed);
    EXPECT_EQ(form.Bevel1->width(), 297 + pushed);
    EXPECT_EQ(form.Button4->x(), 149 + pushed);
    ExpectLabelsClear({{form.Label3, form.ED01}, {form.Label1, form.EE01}});
}
