#include "ui/panel.h"
#include "ui/panel_selection.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {
// A screen with panels tagged as given, one under the other, all unselected.
class PanelScreen {
public:
    explicit PanelScreen(std::initializer_list<int> tags) {
        widget.resize(400, 400);
        int top = 0;
        for (int tag : tags) {
            auto* panel = new Panel(&widget);
            panel->SetTag(tag);
            panel->SetColor(kPanelUnselectedColor);
            panel->setGeometry(10, top, 100, 40);
            top += 50;
            panels.push_back(panel);
        }
    }
    StoredColor ColorOf(int index) const { return panels[size_t(index)]->Color(); }

    QWidget widget;
    std::vector<Panel*> panels;
};

// A screen's selection over the panels of a PanelScreen, noting the clicks it acts on.
class SelectingScreen : public PanelSelection {
public:
    explicit SelectingScreen(PanelScreen& screen) {
        for (Panel* panel : screen.panels)
            BindPanel(*panel);
    }
    void Panel_Click(Panel& panel) override { clicked.push_back(panel.Tag()); }
    std::vector<int> clicked;
};
} // namespace

TEST(HighlightPanel, PaintsOldUnselectedAndNewSelected) {
    PanelScreen screen{100, 101, 102};
    screen.panels[0]->SetColor(kPanelSelectedColor);
    HighlightPanel(&screen.widget, 100, 102);
    EXPECT_EQ(screen.ColorOf(0), kPanelUnselectedColor);
    EXPECT_EQ(screen.ColorOf(1), kPanelUnselectedColor);
    EXPECT_EQ(screen.ColorOf(2), kPanelSelectedColor);
}

TEST(HighlightPanel, EqualTagsChangeNothingEvenWhenColoursAreStale) {
    PanelScreen screen{100, 101};
    HighlightPanel(&screen.widget, 101, 101);
    EXPECT_EQ(screen.ColorOf(1), kPanelUnselectedColor);
}

TEST(HighlightPanel, NewTagBelow100ChangesNothing) {
    PanelScreen screen{99, 100};
    screen.panels[1]->SetColor(kPanelSelectedColor);
    HighlightPanel(&screen.widget, 100, 99);
    EXPECT_EQ(screen.ColorOf(0), kPanelUnselectedColor);
    EXPECT_EQ(screen.ColorOf(1), kPanelSelectedColor);
}

TEST(HighlightPanel, UnknownNewTagLeavesNoPanelSelected) {
    PanelScreen screen{100, 101};
    screen.panels[0]->SetColor(kPanelSelectedColor);
    HighlightPanel(&screen.widget, 100, 150);
    EXPECT_EQ(screen.ColorOf(0), kPanelUnselectedColor);
    EXPECT_EQ(screen.ColorOf(1), kPanelUnselectedColor);
}

TEST(HighlightPanel, EveryMatchingChildIsRecolouredButNestedPanelsAreNot) {
    PanelScreen screen{100, 101, 101};
    auto* nested = new Panel(screen.panels[0]);
    nested->SetTag(101);
    nested->SetColor(kPanelUnselectedColor);
    HighlightPanel(&screen.widget, 100, 101);
    EXPECT_EQ(screen.ColorOf(1), kPanelSelectedColor);
    EXPECT_EQ(screen.ColorOf(2), kPanelSelectedColor);
    EXPECT_EQ(nested->Color(), kPanelUnselectedColor);
    HighlightPanel(screen.panels[0], 0, 101); // passing the inner parent reaches it
    EXPECT_EQ(nested->Color(), kPanelSelectedColor);
}

TEST(PressPanel, PressThenReleaseLeavesThePanelWhereItWas) {
    PanelScreen screen{103};
    Panel& panel = *screen.panels[0];
    EXPECT_EQ(PressPanel(panel), 103);
    EXPECT_EQ(panel.BevelOuter(), Panel::Bevel::Lowered);
    EXPECT_EQ(panel.pos(), QPoint(11, 1));
    EXPECT_EQ(ReleasePanel(panel), 103);
    EXPECT_EQ(panel.BevelOuter(), Panel::Bevel::Raised);
    EXPECT_EQ(panel.pos(), QPoint(10, 0));
}

TEST(PressPanel, TwoPressesWithoutAReleaseMoveTwoPixels) {
    PanelScreen screen{7};
    Panel& panel = *screen.panels[0];
    EXPECT_EQ(PressPanel(panel), 7);
    PressPanel(panel);
    EXPECT_EQ(panel.pos(), QPoint(12, 2));
    EXPECT_EQ(panel.BevelOuter(), Panel::Bevel::Lowered);
}

TEST(PanelMouse, DownUpAndClickReachTheHandlersInOrder) {
    PanelScreen screen{101};
    Panel& panel = *screen.panels[0];
    QStringList calls;
    panel.onMouseDown = [&](Panel& p) { calls << QStringLiteral("down %1").arg(p.Tag()); };
    panel.onMouseUp = [&](Panel& p) { calls << QStringLiteral("up %1").arg(p.Tag()); };
    panel.onClick = [&](Panel& p) { calls << QStringLiteral("click %1").arg(p.Tag()); };
    screen.widget.show();
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(&panel, Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_EQ(calls, (QStringList{"down 101", "up 101", "click 101", "down 101", "up 101"}));
}

TEST(PanelMouse, ReleaseOutsideThePanelIsNoClick) {
    PanelScreen screen{100};
    Panel& panel = *screen.panels[0];
    int clicks = 0;
    panel.onClick = [&](Panel&) { ++clicks; };
    screen.widget.show();
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(300, 20));
    EXPECT_EQ(clicks, 0);
}

TEST(PanelSelection, APressSelectsThePanelAndTheClickActsOnItsTag) {
    PanelScreen screen{100, 101};
    SelectingScreen selection(screen);
    screen.widget.show();
    Panel& panel = *screen.panels[1];
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(selection.PrevTag, 100);
    EXPECT_EQ(selection.CurTag, 101);
    EXPECT_EQ(screen.ColorOf(1), kPanelSelectedColor);
    EXPECT_EQ(panel.BevelOuter(), Panel::Bevel::Lowered);
    QTest::mouseRelease(&panel, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(panel.BevelOuter(), Panel::Bevel::Raised);
    EXPECT_EQ(panel.pos(), QPoint(10, 50));
    EXPECT_EQ(selection.clicked, std::vector<int>{101});
}

TEST(PanelSelection, APanelTaggedBelow100LooksPressedButIsNeverSelected) {
    PanelScreen screen{100, 7};
    SelectingScreen selection(screen);
    selection.Panel_MouseDown(*screen.panels[1]);
    EXPECT_EQ(screen.panels[1]->BevelOuter(), Panel::Bevel::Lowered);
    EXPECT_EQ(selection.CurTag, 100);
    selection.Panel_MouseUp(*screen.panels[1]);
    EXPECT_EQ(selection.CurTag, 100);
    EXPECT_EQ(screen.ColorOf(0), kPanelUnselectedColor);
}
