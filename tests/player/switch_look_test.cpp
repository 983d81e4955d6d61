#include "fake_control.h"
#include "player/player_form.h"
#include "ui/panel.h"

#include "screen_look.h"
#include "test_services.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace {
class PlayerLook : public ::testing::TestWithParam<QSize> {};

void ExpectWellPlaced(Panel& panel) {
    const QRect inside = panel.rect().adjusted(2, 2, -2, -2);
    const QColor background = ToQColor(panel.Color());
    const QRect ink = InkBounds(Rendered(panel, background), inside, background);
    if (const auto misfit = CaptionMisfit(ink, inside))
        ADD_FAILURE() << panel.Caption().toStdString() << ": " << *misfit;
}
} // namespace

TEST_P(PlayerLook, SwitchCaptionsLieWholeAndCentred) {
    const ScreenSizeScope screen(GetParam());
    if (!screen.Applied())
        GTEST_SKIP() << "the screen size can be set on the offscreen platform only";
    TestServices services;
    TPlayer_Form form(std::make_unique<FakeEngine>(), services.Screens());
    form.setGeometry(QGuiApplication::primaryScreen()->geometry());
    form.MusicPanel->show();
    form.show();
    ASSERT_EQ(form.PNL001->height(), (GetParam().height() / 120) * 8);
    ExpectWellPlaced(*form.PNL001);
    ExpectWellPlaced(*form.PNL002);
    form.PressKey(vk::Right);
    form.PressKey(vk::Return); // "Shuffle[On]"
    ExpectWellPlaced(*form.PNL002);
}

INSTANTIATE_TEST_SUITE_P(Screens, PlayerLook, ::testing::ValuesIn(kLookScreenSizes),
                         ScreenSizeName);
