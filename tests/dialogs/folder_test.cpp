#include "dialog_test_support.h"
#include "dialogs/ellips_ed.h"
#include "dialogs/folder.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

namespace {

class FolderFormTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ShowActive(form)); }
    TFolder_Form form;
};

TEST_F(FolderFormTest, CaptionSizeAndControls) {
    const DialogUnits u;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("フォルダ設定"));
    EXPECT_EQ(form.size(), u(QSize(312, 240)));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.font().families().value(0), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(form.font().pixelSize(), u(12));
    EXPECT_EQ(form.Bevel1->geometry(), u(QRect(8, 8, 297, 180)));
    EXPECT_EQ(form.ED01->geometry(), u(QRect(76, 36, 153, 20)));
    // The edit keeps its own height for its font.
    EXPECT_EQ(form.EE01->geometry(),
              QRect(u(QPoint(76, 84)), QSize(u(221), form.EE01->WantedHeight())));
    EXPECT_EQ(form.CHB01->geometry(), u(QRect(76, 132, 221, 24)));
    EXPECT_EQ(form.Button4->geometry(), u(QRect(149, 204, 75, 24)));
    EXPECT_EQ(form.Button5->geometry(), u(QRect(229, 204, 75, 24)));
    EXPECT_EQ(form.Label3->pos(), u(QPoint(16, 40)));
    EXPECT_EQ(form.Label1->pos(), u(QPoint(16, 88)));
    EXPECT_EQ(form.Label3->text(), QStringLiteral("タイトル(&T):"));
    EXPECT_EQ(form.Label1->text(), QStringLiteral("パス(&F):"));
    EXPECT_EQ(form.CHB01->text(), QStringLiteral("ロック(&L)"));
    EXPECT_EQ(form.Button5->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(form.EE01->EditStyle(), esAlwaysEllipses);
    EXPECT_EQ(form.EE01->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_TRUE(form.EE01->Button()->isVisible());
    EXPECT_FALSE(form.ED01->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(FolderFormTest, JapaneseCaptionsHaveGlyphs) {
    const QFontMetrics metrics(form.font());
    for (const QString& text : {form.windowTitle(), form.Label3->text(), form.Button5->text(),
                                QStringLiteral("追加するフォルダを指定して下さい")})
        for (QChar c : text)
            EXPECT_TRUE(metrics.inFont(c)) << QString(c).toStdString();
}

TEST_F(FolderFormTest, TabOrderRunsTitlePathLockOkCancel) {
    form.ED01->setFocus();
    const QList<QWidget*> expected = {form.EE01, form.CHB01, form.Button4, form.Button5, form.ED01};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->metaObject()->className();
    }
}

TEST_F(FolderFormTest, AcceleratorFocusesThePath) {
    form.ED01->setFocus();
    QTest::keyClick(&form, Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(form.EE01->hasFocus());
    QTest::keyClick(&form, Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(form.ED01->hasFocus());
}

TEST_F(FolderFormTest, EnterAndEscDoNotCloseIt) {
    for (QWidget* field : QList<QWidget*>{form.ED01, form.EE01, form.CHB01}) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        QTest::keyClick(field, Qt::Key_Escape);
        EXPECT_TRUE(form.isVisible());
    }
    EXPECT_EQ(form.result(), 0);
}

TEST_F(FolderFormTest, ButtonsAndCloseBoxGiveTheirResults) {
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    EXPECT_EQ(form.result(), 1);
    EXPECT_FALSE(form.isVisible());

    ASSERT_TRUE(ShowActive(form));
    QTest::mouseClick(form.Button5, Qt::LeftButton);
    EXPECT_EQ(form.result(), 2);

    ASSERT_TRUE(ShowActive(form));
    form.setResult(0);
    form.close();
    EXPECT_EQ(form.result(), 2);
}

TEST_F(FolderFormTest, EnterPressesTheFocusedButton) {
    for (auto [button, result] : {std::pair{form.Button4, 1}, std::pair{form.Button5, 2}}) {
        ASSERT_TRUE(ShowActive(form));
        form.setResult(0);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        EXPECT_EQ(form.result(), result);
        EXPECT_FALSE(form.isVisible());
    }
    ASSERT_TRUE(ShowActive(form));
    form.setResult(0);
    form.Button5->setFocus();
    QTest::keyClick(form.Button5, Qt::Key_Enter); // the keypad's Enter as well
    EXPECT_EQ(form.result(), 2);
}

// What the folder browser was asked, and what it answers.
struct BrowseCase {
    const char* typed;
    const char* opensOn;
    std::optional<const char*> chosen;
    const char* result;
};

void PrintTo(const BrowseCase& c, std::ostream* out) {
    *out << QuotedForTest(c.typed) << " chosen " << QuotedForTest(c.chosen.value_or(nullptr));
}

class FolderBrowse : public FolderFormTest, public ::testing::WithParamInterface<BrowseCase> {};

TEST_P(FolderBrowse, DotsButtonBrowsesFromTheTypedFolder) {
    const BrowseCase c = GetParam();
    QWidget* owner = nullptr;
    QString title;
    QString startFolder;
    FolderChooserScope chooser(
        [&](QWidget* o, const QString& t, const QString& start) -> std::optional<QString> {
            owner = o;
            title = t;
            startFolder = start;
            if (!c.chosen)
                return std::nullopt;
            return QString::fromUtf8(*c.chosen);
        });
    form.EE01->setText(QString::fromUtf8(c.typed));
    QTest::mouseClick(form.EE01->Button(), Qt::LeftButton);
    EXPECT_EQ(owner, &form);
    EXPECT_EQ(title, QStringLiteral("追加するフォルダを指定して下さい"));
    EXPECT_EQ(startFolder, QString::fromUtf8(c.opensOn));
    EXPECT_EQ(form.EE01->text(), QString::fromUtf8(c.result));
    EXPECT_TRUE(form.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FolderBrowse,
    ::testing::Values(BrowseCase{"", "/", "/srv/films", "/srv/films"},
                      BrowseCase{"/media", "/media/", "/media/music", "/media/music"},
                      BrowseCase{"/media/", "/media/", "/", "/"},
                      BrowseCase{"/home/写真", "/home/写真/", "/home/写真/旅行", "/home/写真/旅行"},
                      BrowseCase{"/media", "/media/", std::nullopt, "/media"},
                      BrowseCase{"", "/", std::nullopt, ""}));

} // namespace
