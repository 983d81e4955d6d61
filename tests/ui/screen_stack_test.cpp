#include "ui/screen_stack.h"

#include "input/input_router.h"
#include "manual_clock.h"
#include "ui/form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

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
    void WmAppCommand(int command) override { commands.push_back(command); }
    std::vector<int> keys;
    std::vector<int> commands;
};

void SendKey(QWidget& widget, int qtKey) {
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

// The main menu, a folder list and a player, as they stand after Enter on a film.
class ScreenStackTest : public ::testing::Test {
protected:
    ScreenStackTest() {
        window.Push(std::unique_ptr<Form>(menu));
        window.Push(std::unique_ptr<Form>(list));
        window.Push(std::unique_ptr<Form>(player));
        window.show();
    }
    // Lets the closed screens go, as the event loop would.
    static void Collect() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QStringList closed;
    ManualClock clock;
    InputRouter input{clock};
    ScreenStack window{input};
    QPointer<StayingScreen> menu = new StayingScreen;
    QPointer<ClosingScreen> list = new ClosingScreen(QStringLiteral("list"), closed);
    QPointer<ClosingScreen> player = new ClosingScreen(QStringLiteral("player"), closed);
};

TEST_F(ScreenStackTest, OnlyTheTopScreenIsShownAndTakesInput) {
    EXPECT_EQ(window.Depth(), 3);
    EXPECT_EQ(window.Top(), player);
    EXPECT_TRUE(player->isVisible());
    EXPECT_FALSE(list->isVisible());
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(player->geometry(), window.rect());
    window.WmAppCommand(7);
    SendKey(window, Qt::Key_Down); // the window passes no key on to the screens beneath
    EXPECT_TRUE(menu->commands.empty());
    EXPECT_TRUE(menu->keys.empty());
    EXPECT_TRUE(list->keys.empty());
}

TEST_F(ScreenStackTest, ClosingTheTopBringsBackTheOneBeneathAsItWas) {
    auto* field = new QLineEdit(list);
    // The folder list had its field focused when the player was opened over it: a new stack.
    window.CloseDownTo(1);
    bool told = false;
    auto reopened = std::make_unique<ClosingScreen>(QStringLiteral("list"), closed);
    list = reopened.get();
    field = new QLineEdit(list);
    window.Push(std::move(reopened), [&told] { told = true; });
    field->setFocus();
    window.Push(std::make_unique<ClosingScreen>(QStringLiteral("player"), closed));
    EXPECT_FALSE(told);
    window.Top()->close();
    EXPECT_FALSE(told); // the list is still open
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(window.focusWidget(), field);
    list->close();
    EXPECT_TRUE(told);
    Collect();
    EXPECT_TRUE(list.isNull());
    EXPECT_EQ(window.Top(), menu);
}

TEST_F(ScreenStackTest, HomeClosesEveryScreenAboveTheMainMenuTopmostFirst) {
    SendKey(*player, Qt::Key_HomePage);
    EXPECT_EQ(closed, (QStringList{"player", "list"}));
    EXPECT_EQ(window.Top(), menu);
    EXPECT_TRUE(menu->isVisible());
    // Each closed as its Esc closes it; no screen saw the Home key itself.
    EXPECT_EQ(player->keys, std::vector<int>{vk::Escape});
    EXPECT_EQ(list->keys, std::vector<int>{vk::Escape});
    EXPECT_TRUE(menu->keys.empty());
    Collect();
    EXPECT_TRUE(player.isNull());
    EXPECT_TRUE(list.isNull());
}

TEST_F(ScreenStackTest, HomeOnTheMainMenuDoesNothing) {
    window.CloseDownTo(1);
    closed.clear();
    EXPECT_TRUE(menu->PressKey(vk::BrowserHome));
    EXPECT_EQ(window.Depth(), 1);
    EXPECT_TRUE(menu->keys.empty());
}

TEST_F(ScreenStackTest, AScreenThatEscDoesNotCloseEndsTheWalk) {
    window.Push(std::make_unique<StayingScreen>()); // e.g. a screen in the middle of something
    auto* busy = static_cast<StayingScreen*>(window.Top());
    SendKey(*busy, Qt::Key_HomePage);
    EXPECT_EQ(window.Top(), busy);
    EXPECT_EQ(busy->keys, std::vector<int>{vk::Escape});
    EXPECT_TRUE(closed.isEmpty());
}

TEST_F(ScreenStackTest, BackButtonsLeaveOneScreenAsEscDoes) {
    SendKey(*player, Qt::Key_Back); // air mouse KEY_BACK
    SendKey(*list, Qt::Key_Close);  // remote KEY_EXIT
    SendKey(*menu, Qt::Key_Back);   // the main menu stays
    EXPECT_EQ(closed, (QStringList{"player", "list"}));
    EXPECT_EQ(window.Top(), menu);
    EXPECT_EQ(menu->keys, std::vector<int>{vk::Escape});
}

TEST_F(ScreenStackTest, TheWindowIsEmptiedWhenTheLastScreenCloses) {
    QSignalSpy emptied(&window, &ScreenStack::emptied);
    window.CloseDownTo(1);
    EXPECT_EQ(emptied.count(), 0);
    menu->close();
    EXPECT_EQ(emptied.count(), 1);
    EXPECT_EQ(window.Depth(), 0);
    EXPECT_EQ(window.Top(), nullptr);
}

TEST_F(ScreenStackTest, AScreenDestroyedWhileOnTheStackLeavesIt) {
    delete player.data();
    EXPECT_EQ(window.Top(), list);
    EXPECT_TRUE(list->isVisible());
    EXPECT_TRUE(closed.isEmpty()); // destroyed, not closed
}
} // namespace
