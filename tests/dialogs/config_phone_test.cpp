#include "dialogs/config.h"
#include "dialogs/spin_edit.h"

#include "screen_look.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {
constexpr int kModules = 33; // a QR code of version 4 with its quiet zone

PhoneInvitationView Invitation(const QString& code, std::chrono::milliseconds life) {
    QImage qr(kModules, kModules, QImage::Format_Mono);
    qr.fill(1);
    return {qr, QStringLiteral("http://192.168.1.20:48080/"), code, life};
}

// How the settings dialog shows a new owner the way to set up from a phone.
class ConfigPhoneTest : public ::testing::TestWithParam<QSize> {
protected:
    void SetUp() override {
        if (!screens.Applied())
            GTEST_SKIP() << "screens can be changed at run time on the offscreen platform only";
        screens.Set({GetParam()});
    }

    ScreenSetScope screens;
};

TEST_P(ConfigPhoneTest, TheCodeStandsBesideTheFieldsSharpAndWhole) {
    TConfig_Form dialog;
    dialog.ShowPhoneInvitations(
        [] { return Invitation(QStringLiteral("012345"), std::chrono::minutes(5)); });
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(dialog.IMG01->isVisible());
    const QSize qr = dialog.IMG01->pixmap().size();
    EXPECT_EQ(qr.width() % kModules, 0); // whole pixels per module
    EXPECT_GE(qr.width() / kModules, 3);
    EXPECT_EQ(dialog.IMG01->size(), qr);
    EXPECT_TRUE(dialog.LBL01->text().contains(QStringLiteral("http://192.168.1.20:48080/")));
    EXPECT_TRUE(dialog.LBL01->text().contains(QStringLiteral("012345")));
    EXPECT_LE(dialog.LBL01->heightForWidth(dialog.LBL01->width()), dialog.LBL01->height());
    const QRect page = dialog.TabSheet1->rect();
    const std::vector<QWidget*> fields{dialog.ED01,  dialog.SE01,   dialog.CHB01,
                                       dialog.BTN01, dialog.Label1, dialog.Label2};
    for (QWidget* placed :
         {static_cast<QWidget*>(dialog.IMG01), static_cast<QWidget*>(dialog.LBL01)}) {
        EXPECT_TRUE(page.contains(placed->geometry())) << placed->metaObject()->className();
        for (QWidget* field : fields) {
            EXPECT_FALSE(placed->geometry().intersects(field->geometry()))
                << placed->metaObject()->className() << " over "
                << field->metaObject()->className();
        }
    }
    EXPECT_FALSE(dialog.IMG01->geometry().intersects(dialog.LBL01->geometry()));
}

INSTANTIATE_TEST_SUITE_P(Screens, ConfigPhoneTest,
                         ::testing::Values(QSize(1366, 768), QSize(1920, 1080), QSize(3840, 2160)),
                         [](const auto& info) {
                             return std::to_string(info.param.width()) + "x" +
                                    std::to_string(info.param.height());
                         });

TEST(ConfigPhone, TheInvitationIsRenewedBeforeItExpiresAndNothingShowsWithoutAnAddress) {
    TConfig_Form dialog;
    int asked = 0;
    dialog.ShowPhoneInvitations([&asked] {
        ++asked;
        // The second and later ones: nothing is served (the network went).
        PhoneInvitationView view = Invitation(QStringLiteral("111111"), std::chrono::seconds(21));
        if (asked > 1)
            view = {QImage(), QString(), QStringLiteral("222222"), std::chrono::minutes(5)};
        return view;
    });
    dialog.show();
    EXPECT_TRUE(dialog.IMG01->isVisibleTo(&dialog));
    ASSERT_TRUE(QTest::qWaitFor([&asked] { return asked == 2; }, 5000));
    EXPECT_FALSE(dialog.IMG01->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.LBL01->isVisibleTo(&dialog));
}
} // namespace
