#include "app/media_screens.h"
#include "modal_hook_scope.h"

#include "filemenu/file_menu.h"
#include "platform/modal.h"
#include "viewer/viewer_form.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

TEST(MediaScreens, PictureHandOffsOpenTheViewerWithTheListFlagAndPath) {
    MediaScreens screens;
    std::vector<std::pair<bool, QByteArray>> opened;
    std::optional<ModalHookScope> viewers;
    viewers.emplace([&](QDialog& dialog) {
        if (auto* viewer = dynamic_cast<TViewer_Form*>(&dialog))
            opened.emplace_back(viewer->listFlag, viewer->path);
        return 0;
    });
    TFile_Menu menu(screens);
    menu.category = 3;
    menu.ShowMedia("/pictures/a.lst", true, true);
    menu.ShowMedia("/pictures/one.png", true, false);
    viewers.reset();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], std::make_pair(true, QByteArray("/pictures/a.lst")));
    EXPECT_EQ(opened[1], std::make_pair(false, QByteArray("/pictures/one.png")));
}
