#include "app/media_screens.h"
#include "modal_hook_scope.h"
#include "platform/clock.h"

#include "filemenu/file_menu.h"
#include "platform/modal.h"
#include "player/mpv_media_player.h"
#include "player/player_form.h"
#include "viewer/viewer_form.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

TEST(MediaScreens, PictureHandOffsOpenTheViewerWithTheListFlagAndPath) {
    MediaScreens screens;
    SteadyClock clock;
    std::vector<std::pair<bool, QByteArray>> opened;
    std::optional<ModalHookScope> viewers;
    viewers.emplace([&](QDialog& dialog) {
        if (auto* viewer = dynamic_cast<TViewer_Form*>(&dialog))
            opened.emplace_back(viewer->listFlag, viewer->path);
        return 0;
    });
    TFile_Menu menu(screens, clock);
    menu.category = 3;
    menu.ShowMedia("/pictures/a.lst", true, true);
    menu.ShowMedia("/pictures/one.png", true, false);
    viewers.reset();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], std::make_pair(true, QByteArray("/pictures/a.lst")));
    EXPECT_EQ(opened[1], std::make_pair(false, QByteArray("/pictures/one.png")));
}

TEST(MediaScreens, PlayerHandOffKeepsThePathBytes) {
    // A name from an old Windows disk: no UTF-8, and it must reach the player unchanged.
    const QByteArray path = "/films/\x82\xA0\xFF.mkv";
    const Seam<MpvOptions>::Override nullOutputs(MpvMediaPlayer::DefaultOptionsSeam(),
                                                 MpvOptions{QStringLiteral("null"), false});
    MediaScreens screens;
    SteadyClock clock;
    QByteArray url;
    {
        ModalHookScope players([&](QDialog& dialog) {
            if (auto* player = dynamic_cast<TPlayer_Form*>(&dialog))
                url = player->WMP1->URL();
            return 0;
        });
        TFile_Menu menu(screens, clock);
        menu.category = 1;
        menu.ShowMedia(path, false, false);
    }
    EXPECT_EQ(url.toHex(' '), path.toHex(' '));
}
