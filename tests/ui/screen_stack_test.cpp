#include "ui/form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStringList>

#include <gtest/gtest.h>

namespace {
// A screen that Esc closes, noting its name when it closes.
class ClosingScreen : public Form {
public:
    ClosingScreen(QString name, QStringList& closed) : name_(std::move(name)), closed_(closed) {}
    void FormKeyDown(int& key, ShiftState) override {
        keys.push_back(key);
        if (key == vk::Escape) {
            key = 0;
            close();
        }
    }
    void FormClose() override { closed_ << name_; }
    std::vector<int> keys;

private:
    QString name_;
    QStringList& closed_;
};

// A screen that no key closes, as the main menu.
class StayingScreen : public Form {
public:
    void FormKeyDown(int& key, ShiftState) override { keys.push_back(key); }
    std::vector<int> keys;
};

void SendKey(QWidget& widget, int qtKey) {
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

class ScreenStack : public ::testing::Test {
protected:
    void SetUp() override {
        menu.show();
        list.show();
        player.show();
    }
    QStringList closed;
    StayingScreen menu;
    ClosingScreen list{QStringLiteral("list"), closed};
    ClosingScreen player{QStringLiteral("player"), closed};
};

TEST_F(ScreenStack, HomeClosesEveryScreenAboveTheMainMenuTopmostFirst) {
    SendKey(player, Qt::Key_HomePage);
    EXPECT_EQ(closed, (QStringList{"player", "list"}));
    EXPECT_TRUE(menu.isVisible());
    EXPECT_FALSE(list.isVisible());
    EXPECT_FALSE(player.isVisible());
    // Each closed as its Esc closes it; no screen saw the Home key itself.
    EXPECT_EQ(player.keys, std::vector<int>{vk::Escape});
    EXPECT_EQ(list.keys, std::vector<int>{vk::Escape});
    EXPECT_TRUE(menu.keys.empty());
}

TEST_F(ScreenStack, HomeOnTheMainMenuDoesNothing) {
    player.close();
    list.close();
    closed.clear();
    EXPECT_TRUE(menu.PressKey(vk::BrowserHome));
    EXPECT_TRUE(menu.isVisible());
    EXPECT_TRUE(menu.keys.empty());
}

TEST_F(ScreenStack, AScreenThatEscDoesNotCloseEndsTheWalk) {
    StayingScreen busy; // e.g. a screen in the middle of something
    busy.show();
    SendKey(busy, Qt::Key_HomePage);
    EXPECT_TRUE(busy.isVisible());
    EXPECT_EQ(busy.keys, std::vector<int>{vk::Escape});
    EXPECT_TRUE(closed.isEmpty());
}

TEST_F(ScreenStack, BackButtonsLeaveOneScreenAsEscDoes) {
    SendKey(player, Qt::Key_Back); // air mouse KEY_BACK
    SendKey(list, Qt::Key_Close);  // remote KEY_EXIT
    SendKey(menu, Qt::Key_Back);   // the main menu stays
    EXPECT_EQ(closed, (QStringList{"player", "list"}));
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.keys, std::vector<int>{vk::Escape});
}
} // namespace
