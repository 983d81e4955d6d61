#pragma once

#include "app/mainmenu.h"
#include "settings/general.h"
#include "spi/spis.h"
#include "ui/panel.h"

#include "test_configuration_dialog.h"
#include "test_services.h"

#include <QCoreApplication>
#include <QPointer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// The main menu on the program's window and a configured store, with folder list screens that
// are only counted: each one stands on the window over the menu until the test closes it. F1
// opens counted stand-ins of the pairing screen unless the test sets makePhoneScreen first.
class MainMenu : public ::testing::Test {
protected:
    // clock: the services' clock, the real one unless given.
    explicit MainMenu(Clock* clock = nullptr) : services(clock) {}

    void SetUp() override { EraseSettingKey(TestStore(), 0, settingskey::Root); }
    void TearDown() override {
        delete menu.data();
        EraseSettingKey(TestStore(), 0, settingskey::Root);
    }

    void Configure(const QString& exitCode, int activeDelay = 10) {
        WriteSettingString(TestStore(), 0, settingskey::System, QStringLiteral("ExitCode"),
                           exitCode);
        WriteSettingInt(TestStore(), 0, settingskey::System, QStringLiteral("ActiveDelay"),
                        activeDelay);
    }

    Tmain_form& Show(QStringList arguments = {}) {
        auto screen = std::make_unique<Tmain_form>(
            TestConfigurationDialogs(dialogs, 2),
            [this](int category) {
                openedCategories.push_back(category);
                auto folderList = std::make_unique<Form>();
                folderLists.push_back(folderList.get());
                return folderList;
            },
            std::move(arguments), plugins, TestStore());
        screen->SetPhoneScreen(makePhoneScreen);
        menu = screen.get();
        // Full screen, as the program places its window.
        services.window.PlaceFullScreen();
        services.window.Push(std::move(screen));
        services.window.show();
        return *menu;
    }

    void Press(std::initializer_list<int> keys) {
        for (int key : keys)
            menu->PressKey(key);
    }

    StoredColor ColorOfTag(int tag) const {
        for (Panel* panel : {menu->PNL001, menu->PNL002, menu->PNL003, menu->PNL004})
            if (panel->Tag() == tag)
                return panel->Color();
        return 0;
    }

    // Closes the folder list on top and lets it go, as the event loop would.
    void CloseFolderList() {
        ASSERT_FALSE(folderLists.empty());
        folderLists.back()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TestServices services;
    TSPIs plugins;
    TestConfigurationDialog::Record dialogs;
    std::vector<int> openedCategories;
    std::vector<QPointer<Form>> folderLists;
    std::vector<QPointer<Form>> phoneScreens;
    PhoneScreenFactory makePhoneScreen = [this] {
        auto pairing = std::make_unique<Form>();
        phoneScreens.push_back(pairing.get());
        return pairing;
    };
    QPointer<Tmain_form> menu;
};
