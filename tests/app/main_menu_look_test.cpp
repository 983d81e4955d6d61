#include "app/mainmenu.h"
#include "settings/general.h"
#include "spi/spis.h"
#include "test_store.h"
#include "ui/panel.h"

#include "screen_look.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace {
// The main menu as the program shows it, on a screen of the given size.
class MainMenuLook : public ::testing::TestWithParam<QSize> {};
} // namespace

TEST_P(MainMenuLook, CaptionsLieWholeAndCentredInTheirPanels) {
    const ScreenSizeScope screen(GetParam());
    if (!screen.Applied())
        GTEST_SKIP() << "the screen size can be set on the offscreen platform only";
    // Configured, so that no settings dialog comes first.
    WriteSettingString(TestStore(), 0, settingskey::System, QStringLiteral("ExitCode"),
                       QStringLiteral("1"));
    TSPIs plugins;
    Tmain_form menu(nullptr, nullptr, {}, plugins, TestStore());
    menu.show();
    ASSERT_EQ(menu.PNL001->height(),
              ComputeMainMenuLayout(GetParam().width(), GetParam().height()).height);
    for (Panel* panel : {menu.PNL001, menu.PNL002, menu.PNL003, menu.PNL004}) {
        const QRect inside = panel->rect().adjusted(2, 2, -2, -2);
        const QRect ink =
            InkBounds(Rendered(*panel, ToQColor(panel->Color())), inside, ToQColor(panel->Color()));
        if (const auto misfit = CaptionMisfit(ink, inside))
            ADD_FAILURE() << panel->Caption().toStdString() << ": " << *misfit;
    }
    const QRect title =
        InkBounds(Rendered(*menu.LBL001, Qt::black), menu.LBL001->rect(), Qt::black);
    if (const auto misfit = CaptionMisfit(title, menu.LBL001->rect()))
        ADD_FAILURE() << "Main Menu: " << *misfit;
    EraseSettingKey(TestStore(), 0, settingskey::Root);
}

INSTANTIATE_TEST_SUITE_P(Screens, MainMenuLook, ::testing::ValuesIn(kLookScreenSizes),
                         ScreenSizeName);
