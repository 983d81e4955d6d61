#include "viewer/viewer_form.h"

#include "gradient/pgra112.h"
#include "input/app_command.h"
#include "message_capture.h"
#include "platform/byte_path.h"
#include "platform/image_widget.h"
#include "platform/media_session.h"
#include "platform/screen_awake.h"
#include "platform/timer.h"
#include "settings/general.h"
#include "spi/spibmp.h"
#include "spi/spis.h"
#include "stall_shim.h"
#include "test_services.h"
#include "worker_waits.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdio>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255),
           kBlack = qRgb(0, 0, 0);

constexpr ShiftState kCtrl{false, true, false};

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        EraseSettingKey(TestStore(), 0, settingskey::Viewer);
    }
    void TearDown() override {
        if (viewer)
            viewer->close();
    }

    // A picture file of one colour.
    QByteArray Picture(const QString& name, QSize size, QRgb color, const char* format = "BMP") {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, format, 95));
        return QFile::encodeName(path);
    }
    QByteArray File(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return QFile::encodeName(file.fileName());
    }
    QByteArray List(const QList<QByteArray>& paths) {
        QByteArray text;
        for (const QByteArray& path : paths)
            text += path + '\n';
        return File(QStringLiteral("pictures.lst"), text);
    }
    // Three small pictures of different colours, listed in that order.
    QByteArray ThreePictures() {
        return List({Picture("r.bmp", {8, 6}, kRed), Picture("g.bmp", {8, 6}, kGreen),
                     Picture("b.bmp", {8, 6}, kBlue)});
    }
    TViewer_Form& Open(const QByteArray& path, bool list, const TSPIs* plugins = nullptr) {
        viewer = std::make_unique<TViewer_Form>(services.Screens(plugins));
        viewer->listFlag = list;
        viewer->path = path;
        viewer->setGeometry(QGuiApplication::primaryScreen()->geometry());
        viewer->show();
        Settle(*viewer);
        return *viewer;
    }
    // Lets a picture still being decoded arrive and be shown.
    static void Settle(const TViewer_Form& v) {
        ASSERT_TRUE(QTest::qWaitFor([&v] { return !v.AwaitingPrefetch(); }, 30000));
    }
    QRgb Centre() const {
        const QImage& picture = viewer->Image1->Picture();
        return picture.pixel(picture.width() / 2, picture.height() / 2);
    }

    QTemporaryDir dir;
    MessageCapture messages;
    TestServices services;
    std::unique_ptr<TViewer_Form> viewer;
};

TEST_F(ViewerTest, ShowsFullScreenWithHiddenGreenBar) {
    TViewer_Form& v = Open(Picture("r.bmp", {8, 6}, kRed), false);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(v.size(), screen.size());
    EXPECT_TRUE(v.PB1->isHidden());
    EXPECT_EQ(v.PB1->maximum(), 1000);
    EXPECT_EQ(v.DisplayTime(), 3);
    EXPECT_EQ(v.Timer1->interval(), 3000);
    EXPECT_FALSE(v.Timer1->enabled());
    EXPECT_EQ(v.Image1->geometry(), QRect(QPoint(0, 0), screen.size()));

    v.ToggleProgress();
    EXPECT_FALSE(v.PB1->isHidden());
    EXPECT_EQ(v.PB1->geometry(), QRect(0, screen.height() - screen.height() / 48, screen.width(),
                                       screen.height() / 48));
    EXPECT_EQ(v.Image1->height(), screen.height() - screen.height() / 48);
    v.PB1->setValue(1000);
    const QImage bar = v.PB1->grab().toImage();
    EXPECT_EQ(bar.pixel(bar.width() / 2, bar.height() / 2), kGreen);
}

TEST_F(ViewerTest, SinglePictureStepsNothingAndShowStopsAtFirstTick) {
    TViewer_Form& v = Open(Picture("r.bmp", {8, 6}, kRed), false);
    EXPECT_EQ(v.List().size(), 1);
    EXPECT_EQ(v.PB1->value(), 0);
    EXPECT_EQ(Centre(), kRed);
    EXPECT_TRUE(v.PressKey('F', kCtrl));
    Settle(v);
    EXPECT_TRUE(v.PressKey('B', kCtrl));
    Settle(v);
    EXPECT_EQ(v.Index(), 0);

    EXPECT_TRUE(v.PressKey('P', kCtrl));
    Settle(v);
    EXPECT_TRUE(v.Running());
    EXPECT_TRUE(v.Timer1->isArmed());
    v.Timer1Timer();
    Settle(v);
    EXPECT_FALSE(v.Running());
    EXPECT_FALSE(v.Timer1->enabled());
    EXPECT_EQ(Centre(), kRed);
    EXPECT_TRUE(messages.texts.isEmpty());
}

// Enter on a picture of a folder: the show starts on it and steps through its neighbours.
TEST_F(ViewerTest, APictureChosenInAFolderStepsThroughItsNeighbours) {
    const QByteArray red = Picture("r.bmp", {8, 6}, kRed);
    const QByteArray green = Picture("g.bmp", {8, 6}, kGreen);
    const QByteArray blue = Picture("b.bmp", {8, 6}, kBlue);
    viewer = std::make_unique<TViewer_Form>(services.Screens());
    viewer->path = green;
    viewer->neighbours = {red, green, blue};
    viewer->setGeometry(QGuiApplication::primaryScreen()->geometry());
    viewer->show();
    TViewer_Form& v = *viewer;
    Settle(v);
    EXPECT_EQ(v.Index(), 1);
    EXPECT_EQ(Centre(), kGreen);
    // The next one is decoded ahead, as in a slide show.
    ASSERT_TRUE(QTest::qWaitFor([&v] { return v.PrefetchReady(); }, 30000));
    EXPECT_TRUE(v.PressKey(vk::Right));
    Settle(v);
    EXPECT_EQ(Centre(), kBlue);
    v.WmAppCommand(appcommand::PreviousTrack);
    Settle(v);
    v.PressKey(vk::Left);
    Settle(v);
    EXPECT_EQ(Centre(), kRed);
    EXPECT_TRUE(v.PressKey('F', kCtrl));
    Settle(v);
    EXPECT_EQ(v.Index(), 1);
    // Ctrl+P: the slide show from here on.
    EXPECT_TRUE(v.PressKey('P', kCtrl));
    EXPECT_TRUE(v.Running());
    v.Timer1Timer();
    Settle(v);
    EXPECT_EQ(Centre(), kBlue);
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(ViewerTest, EmptyListShowsTheGradientAndStepsDoNothing) {
    TViewer_Form& v = Open(List({}), true);
    EXPECT_TRUE(v.List().isEmpty());
    // The same gradient as a painter set up like the viewer's draws on an image of that size.
    ImageWidget reference;
    reference.resize(v.Image1->size());
    TPGradation painter;
    painter.SetTargetImage(&reference);
    painter.SetEndColor(clGradientActiveCaption);
    painter.SetDelay(3);
    painter.SetGradationMode(mdVertical);
    painter.Paint();
    EXPECT_EQ(v.Image1->Picture(), reference.Picture());
    EXPECT_NE(reference.Picture().pixel(0, 0), reference.Picture().pixel(0, 300));
    v.NextPicture();
    Settle(v);
    v.PreviousPicture();
    Settle(v);
    v.StartSlideShow();
    Settle(v);
    v.Timer1Timer();
    Settle(v);
    EXPECT_EQ(v.Index(), 0);
    EXPECT_FALSE(v.Running());
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(ViewerTest, ManualStepsOnlyWhileTheShowIsPaused) {
    TViewer_Form& v = Open(ThreePictures(), true);
    EXPECT_EQ(Centre(), kRed);
    v.PressKey('P', kCtrl);
    Settle(v);
    EXPECT_TRUE(v.PressKey('F', kCtrl));
    Settle(v);
    EXPECT_EQ(v.Index(), 0);
    v.PressKey('P', kCtrl); // pause: the running flag stays
    EXPECT_TRUE(v.Running());
    EXPECT_FALSE(v.Timer1->enabled());
    v.PressKey('F', kCtrl);
    Settle(v);
    EXPECT_EQ(v.Index(), 1);
    EXPECT_EQ(Centre(), kGreen);
    EXPECT_EQ(v.PB1->value(), 333);
    v.PressKey('B', kCtrl);
    Settle(v);
    EXPECT_EQ(v.Index(), 0);
    EXPECT_EQ(Centre(), kRed);
    v.PressKey('B', kCtrl);
    Settle(v);
    EXPECT_EQ(v.Index(), 0);
}

TEST_F(ViewerTest, TheShowWaitsWhileNoScreenIsThere) {
    auto owned = std::make_unique<TViewer_Form>(services.Screens());
    owned->listFlag = true;
    owned->path = ThreePictures();
    TViewer_Form& v = *owned;
    services.window.Push(std::move(owned));
    services.window.show();
    v.WmAppCommand(appcommand::Play);
    Settle(v);
    ASSERT_TRUE(v.Timer1->enabled());
    emit services.window.screenLost(); // the TV switched off
    EXPECT_FALSE(v.Timer1->enabled());
    EXPECT_EQ(v.Index(), 0);
    v.WmAppCommand(appcommand::Play);
    EXPECT_TRUE(v.Timer1->enabled());
}

TEST_F(ViewerTest, TheShowPausesBeforeTheMachineSleepsAndWaitsForPlayAfterTheWake) {
    TViewer_Form& v = Open(ThreePictures(), true);
    v.WmAppCommand(appcommand::Play);
    Settle(v);
    ASSERT_TRUE(v.Timer1->enabled());
    services.sleep.PrepareForSleep(true);
    EXPECT_TRUE(v.Running());
    EXPECT_FALSE(v.Timer1->enabled());
    EXPECT_FALSE(services.awake.AnyHeld());
    services.sleep.PrepareForSleep(false);
    EXPECT_FALSE(v.Timer1->enabled());
    EXPECT_EQ(v.Index(), 0);
    v.WmAppCommand(appcommand::Play);
    EXPECT_TRUE(v.Timer1->enabled());
    v.Timer1Timer();
    Settle(v);
    EXPECT_EQ(v.Index(), 1);
}

TEST_F(ViewerTest, EndOfListStopsTheShowAndCtrlPStartsItAgain) {
    TViewer_Form& v = Open(ThreePictures(), true);
    v.PressKey('P', kCtrl);
    Settle(v);
    v.Timer1Timer();
    Settle(v);
    v.Timer1Timer();
    Settle(v);
    EXPECT_EQ(v.Index(), 2);
    EXPECT_EQ(v.PB1->value(), 666);
    EXPECT_TRUE(v.Running());
    v.Timer1Timer();
    Settle(v);
    EXPECT_FALSE(v.Running());
    EXPECT_FALSE(v.Timer1->enabled());
    EXPECT_EQ(Centre(), kBlue);

    v.PressKey('P', kCtrl);
    Settle(v);
    EXPECT_TRUE(v.Running());
    EXPECT_TRUE(v.Timer1->enabled());
    v.Timer1Timer();
    Settle(v);
    EXPECT_FALSE(v.Running());
    EXPECT_EQ(v.Index(), 2);
}

TEST_F(ViewerTest, DigitsSetTheDisplayTimeUnconsumedAndItIsStoredOnClose) {
    TViewer_Form& v = Open(ThreePictures(), true);
    v.StartSlideShow();
    Settle(v);
    EXPECT_FALSE(v.PressKey(vk::Digit0));
    Settle(v);
    EXPECT_EQ(v.DisplayTime(), 10);
    EXPECT_EQ(v.Timer1->interval(), 10000);
    EXPECT_TRUE(v.Timer1->isArmed()); // the show goes on, counted afresh
    EXPECT_FALSE(v.PressKey(vk::Numpad0 + 7));
    Settle(v);
    EXPECT_EQ(v.DisplayTime(), 7);
    EXPECT_FALSE(v.PressKey(vk::Digit0 + 5));
    Settle(v);
    EXPECT_EQ(v.Timer1->interval(), 5000);
    v.ToggleProgress();

    EXPECT_TRUE(v.PressKey(vk::Escape));
    Settle(v);
    EXPECT_FALSE(v.isVisible());
    EXPECT_FALSE(v.Timer1->enabled());
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, settingskey::Viewer, "DispTime", -1), 5);
    EXPECT_TRUE(ReadSettingBool(TestStore(), 0, settingskey::Viewer, "ShowProgress", false));

    // The next viewer starts from what was stored.
    TViewer_Form& again = Open(ThreePictures(), true);
    EXPECT_EQ(again.DisplayTime(), 5);
    EXPECT_FALSE(again.PB1->isHidden());
    EXPECT_TRUE(again.PressKey(vk::Delete));
    EXPECT_FALSE(again.isVisible());
}

// Letters without Ctrl do nothing and go on their way; other modifiers do not matter.
class LetterWithoutCtrlTest : public ViewerTest, public ::testing::WithParamInterface<int> {};

TEST_P(LetterWithoutCtrlTest, DoesNothing) {
    TViewer_Form& v = Open(ThreePictures(), true);
    for (ShiftState shift :
         {ShiftState{}, ShiftState{true, false, false}, ShiftState{false, false, true}}) {
        EXPECT_FALSE(v.PressKey(GetParam(), shift));
        Settle(v);
        EXPECT_EQ(v.Index(), 0);
        EXPECT_FALSE(v.Running());
        EXPECT_TRUE(v.PB1->isHidden());
    }
    EXPECT_TRUE(v.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Keys, LetterWithoutCtrlTest, ::testing::Values('B', 'F', 'I', 'P', 'S'));

TEST_F(ViewerTest, CtrlWithOtherModifiersActs) {
    TViewer_Form& v = Open(ThreePictures(), true);
    EXPECT_TRUE(v.PressKey('F', ShiftState{true, true, true}));
    Settle(v);
    EXPECT_EQ(v.Index(), 1);
    EXPECT_TRUE(v.PressKey('I', kCtrl));
    Settle(v);
    EXPECT_FALSE(v.PB1->isHidden());
    EXPECT_TRUE(v.PressKey('P', kCtrl));
    Settle(v);
    EXPECT_TRUE(v.PressKey('S', kCtrl));
    Settle(v);
    EXPECT_FALSE(v.Running());
    EXPECT_FALSE(v.Timer1->enabled());
    EXPECT_FALSE(v.PressKey('X', kCtrl));
    Settle(v);
}

TEST_F(ViewerTest, PortraitPictureIsCentredWithBlackBars) {
    Open(Picture("tall.bmp", {200, 400}, kRed), false);
    const QImage& picture = viewer->Image1->Picture();
    ASSERT_EQ(picture.size(), QSize(800, 800)) << "the offscreen screen is 800 x 800";
    // 200 x 400 enlarged by 2: 400 x 800 at (200, 0).
    for (int y : {0, 400, 799}) {
        EXPECT_EQ(picture.pixel(0, y), kBlack);
        EXPECT_EQ(picture.pixel(199, y), kBlack);
        EXPECT_EQ(picture.pixel(200, y), kRed);
        EXPECT_EQ(picture.pixel(599, y), kRed);
        EXPECT_EQ(picture.pixel(600, y), kBlack);
        EXPECT_EQ(picture.pixel(799, y), kBlack);
    }
}

TEST_F(ViewerTest, AreaAboveTheBarAndOnePixelLessFromExtendedPrecision) {
    WriteSettingBool(TestStore(), 0, settingskey::Viewer, "ShowProgress", true);
    Open(Picture("square.bmp", {100, 100}, kRed), false);
    const QImage& picture = viewer->Image1->Picture();
    ASSERT_EQ(picture.size(), QSize(800, 784)) << "800 x 800 less the bar of 800 div 48";
    // Scale 784 / 100 = 7.84, just below it in binary: 783 x 783 at (8, 0), not 784 x 784.
    EXPECT_EQ(picture.pixel(7, 100), kBlack);
    EXPECT_EQ(picture.pixel(8, 100), kRed);
    EXPECT_EQ(picture.pixel(790, 100), kRed);
    EXPECT_EQ(picture.pixel(791, 100), kBlack);
    EXPECT_EQ(picture.pixel(400, 782), kRed);
    EXPECT_EQ(picture.pixel(400, 783), kBlack);
}

TEST_F(ViewerTest, ShrinkingAveragesThePixelsItMerges) {
    // One-pixel black and white columns halved: every drawn pixel is the mean of a pair, where
    // dropping pixels would leave pure black or pure white.
    QImage stripes(1600, 800, QImage::Format_RGB32);
    for (int y = 0; y < stripes.height(); ++y)
        for (int x = 0; x < stripes.width(); ++x)
            stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : kBlack);
    const QString path = dir.filePath("stripes.bmp");
    ASSERT_TRUE(stripes.save(path, "BMP"));
    Open(QFile::encodeName(path), false);
    const QImage& picture = viewer->Image1->Picture();
    ASSERT_EQ(picture.size(), QSize(800, 800));
    for (int x : {100, 101, 400, 401, 700}) {
        const int grey = qGreen(picture.pixel(x, 400));
        EXPECT_GT(grey, 100) << x;
        EXPECT_LT(grey, 155) << x;
    }
    EXPECT_EQ(picture.pixel(400, 199), kBlack); // the bar above the 800 x 400 picture
}

TEST_F(ViewerTest, UndecodableInTheMiddleIsReportedAndTheNextStepMovesOn) {
    const QByteArray list =
        List({Picture("r.bmp", {8, 6}, kRed), File("broken.jpg", "not a picture at all"),
              Picture("b.bmp", {8, 6}, kBlue)});
    TViewer_Form& v = Open(list, true);
    // Stepped by hand, through the real key path: the error reaches the top-level handler.
    QTest::keyClick(&v, Qt::Key_F, Qt::ControlModifier);
    Settle(v);
    ASSERT_EQ(messages.texts, QStringList{"Susie Plugins could not decode"});
    EXPECT_EQ(v.Index(), 1);
    EXPECT_EQ(v.PB1->value(), 333);
    EXPECT_FALSE(v.Image1->HasPicture());
    QTest::keyClick(&v, Qt::Key_F, Qt::ControlModifier);
    Settle(v);
    EXPECT_EQ(v.Index(), 2);
    EXPECT_EQ(Centre(), kBlue);
    EXPECT_EQ(messages.texts.size(), 1);
}

TEST_F(ViewerTest, UndecodableDuringTheShowIsWrittenOnTheScreenAndTheShowGoesOn) {
    const QByteArray list =
        List({Picture("r.bmp", {8, 6}, kRed), File("broken.jpg", "not a picture at all"),
              Picture("b.bmp", {8, 6}, kBlue)});
    TViewer_Form& v = Open(list, true);
    v.StartSlideShow();
    Settle(v);
    v.Timer1Timer();
    Settle(v);
    // Its file can be read: it failed for itself, and the show goes on.
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(v.Index(), 1);
    EXPECT_TRUE(v.Running());
    EXPECT_TRUE(v.Timer1->isArmed());
    const QImage& caption = v.Image1->Picture();
    ASSERT_EQ(caption.size(), v.Image1->size());
    EXPECT_EQ(caption.pixel(0, 0), kBlack);
    bool written = false;
    for (int y = 0; y < caption.height() && !written; ++y)
        for (int x = 0; x < caption.width() && !written; ++x)
            written = caption.pixel(x, y) != kBlack;
    EXPECT_TRUE(written);
    v.Timer1Timer();
    Settle(v);
    EXPECT_EQ(v.Index(), 2);
    EXPECT_EQ(Centre(), kBlue);
}

// The next picture's share goes away during the show, and comes back.
TEST_F(ViewerTest, TheShowWaitsOnAPictureThatCannotBeReadAndGoesOnWhenItCan) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("share"));
    const QByteArray list =
        List({Picture("r.bmp", {8, 6}, kRed), Picture("share/g.bmp", {8, 6}, kGreen),
              Picture("b.bmp", {8, 6}, kBlue)});
    stall_shim_fail(QFile::encodeName(dir.filePath("share")).constData());
    TViewer_Form& v = Open(list, true);
    v.StartSlideShow();
    Settle(v);
    v.Timer1Timer();
    Settle(v);
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_EQ(v.Index(), 1);
    EXPECT_TRUE(v.Running());
    EXPECT_FALSE(v.Timer1->isArmed()); // waiting on it, not stepping past it
    EXPECT_TRUE(messages.texts.isEmpty());
    stall_shim_mend();
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.Timer1->isArmed(); }, 15000));
    Settle(v);
    EXPECT_EQ(v.Index(), 1);
    EXPECT_EQ(Centre(), kGreen);
}

TEST_F(ViewerTest, UndecodableFirstPictureIsReportedOnShow) {
    TViewer_Form& v = Open(
        List({File("broken.png", "\x89PNG but nothing more"), Picture("g.bmp", {8, 6}, kGreen)}),
        true);
    EXPECT_EQ(messages.texts, QStringList{"Susie Plugins could not decode"});
    EXPECT_TRUE(v.isVisible());
    EXPECT_FALSE(v.Image1->HasPicture());
    v.NextPicture();
    Settle(v);
    EXPECT_EQ(Centre(), kGreen);
}

TEST_F(ViewerTest, UnreadableListIsReportedAndEscStillCloses) {
    TViewer_Form& v = Open(QFile::encodeName(dir.filePath("missing.lst")), true);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith("Cannot open file"))
        << messages.texts[0].toStdString();
    EXPECT_TRUE(v.List().isEmpty());
    EXPECT_FALSE(v.Image1->HasPicture());
    v.NextPicture();
    Settle(v);
    v.ToggleSlideShow();
    v.Timer1Timer();
    Settle(v);
    QTest::keyClick(&v, Qt::Key_Escape);
    EXPECT_FALSE(v.isVisible());
    EXPECT_EQ(messages.texts.size(), 1);
}

class StoredDisplayTimeTest : public ViewerTest, public ::testing::WithParamInterface<int> {};

TEST_P(StoredDisplayTimeTest, ZeroOrBelowNeverAdvancesByItself) {
    WriteSettingInt(TestStore(), 0, settingskey::Viewer, "DispTime", GetParam());
    TViewer_Form& v = Open(ThreePictures(), true);
    EXPECT_EQ(v.DisplayTime(), GetParam());
    v.StartSlideShow();
    Settle(v);
    EXPECT_TRUE(v.Timer1->enabled());
    EXPECT_FALSE(v.Timer1->isArmed()); // a timer that is not armed never fires
    EXPECT_EQ(v.Index(), 0);
    EXPECT_TRUE(v.Running());
}

INSTANTIATE_TEST_SUITE_P(Values, StoredDisplayTimeTest, ::testing::Values(0, -5, INT_MIN));

TEST_F(ViewerTest, HugeStoredDisplayTimeWaitsAsLongAsTheTimerCan) {
    WriteSettingInt(TestStore(), 0, settingskey::Viewer, "DispTime", 5000000);
    TViewer_Form& v = Open(ThreePictures(), true);
    EXPECT_EQ(v.Timer1->interval(), INT_MAX);
    v.StartSlideShow();
    Settle(v);
    EXPECT_TRUE(v.Timer1->isArmed());
}

TEST_F(ViewerTest, RemoteAndMediaKeys) {
    TViewer_Form& v = Open(ThreePictures(), true);
    v.WmInput(RawInputMessage::FromReport(QByteArray::fromHex("03000002")));
    EXPECT_FALSE(v.PB1->isHidden());
    v.WmInput(RawInputMessage::FromReport(QByteArray::fromHex("00041000")));
    EXPECT_FALSE(v.PB1->isHidden());

    v.WmAppCommand(appcommand::NextTrack);
    Settle(v);
    EXPECT_EQ(v.Index(), 1);
    v.WmAppCommand(appcommand::PreviousTrack);
    Settle(v);
    EXPECT_EQ(v.Index(), 0);
    v.WmAppCommand(0x002E); // play from a keyboard source is another command
    EXPECT_FALSE(v.Running());
    v.WmAppCommand(appcommand::Play);
    Settle(v);
    EXPECT_TRUE(v.Running());
    EXPECT_TRUE(v.Timer1->enabled());
    v.WmAppCommand(appcommand::Pause);
    Settle(v);
    EXPECT_TRUE(v.Running());
    EXPECT_FALSE(v.Timer1->enabled());
    v.WmAppCommand(appcommand::Play);
    Settle(v);
    v.WmAppCommand(appcommand::Stop);
    Settle(v);
    EXPECT_FALSE(v.Running());
    EXPECT_FALSE(v.Timer1->enabled());
    v.WmAppCommand(appcommand::Pause); // not running: nothing
    EXPECT_FALSE(v.Timer1->enabled());
}

TEST_F(ViewerTest, ThePlayPauseButtonStartsAndPausesTheSlideShow) {
    TViewer_Form& v = Open(ThreePictures(), true);
    v.WmAppCommand(appcommand::PlayPause);
    Settle(v);
    EXPECT_TRUE(v.Running());
    EXPECT_TRUE(v.Timer1->enabled());
    v.WmAppCommand(appcommand::PlayPause);
    Settle(v);
    EXPECT_TRUE(v.Running());
    EXPECT_FALSE(v.Timer1->enabled());
    v.WmAppCommand(appcommand::PlayPause);
    Settle(v);
    EXPECT_TRUE(v.Timer1->enabled());
}

// The step onto a picture still being decoded ahead does not wait for it: the screen shows it when
// it arrives, and the show does not step past it meanwhile.
TEST_F(ViewerTest, AStepOntoAPictureStillDecodedAheadShowsItWhenItArrives) {
    TViewer_Form& v = Open(List({Picture("r.bmp", {8, 6}, kRed), Picture("g.bmp", {8, 6}, kGreen),
                                 Picture("big.bmp", {4000, 3000}, kBlue)}),
                           true);
    v.NextPicture();
    Settle(v);
    v.StartSlideShow();
    v.Timer1Timer(); // onto the large picture, whose decode started a moment ago
    if (!v.AwaitingPrefetch())
        GTEST_SKIP() << "the large picture was decoded before the step";
    EXPECT_EQ(v.Index(), 2);
    EXPECT_EQ(v.PB1->value(), 666);
    EXPECT_EQ(Centre(), kGreen) << "the picture before stays until the next one is there";
    v.Timer1Timer();
    EXPECT_TRUE(v.Running()) << "the show did not end past a picture not shown yet";
    Settle(v);
    EXPECT_EQ(Centre(), kBlue);
}

// A step back onto a picture whose share stalls: its decode holds nothing but its own showing.
TEST_F(ViewerTest, EscWhileAPictureIsStillBeingDecodedClosesAtOnce) {
    std::mutex mutex;
    std::condition_variable changed;
    bool stall = false;
    bool stalled = false;
    TViewer_Form v(services.Screens(), [&](TSPIBitmap& bitmap, const QByteArray& picturePath) {
        std::unique_lock lock(mutex);
        if (stall) {
            stalled = true;
            changed.notify_all();
            changed.wait(lock, [&] { return !stall; });
        }
        lock.unlock();
        LoadPictureFile(bitmap, picturePath);
    });
    v.listFlag = true;
    v.path = ThreePictures();
    v.setGeometry(QGuiApplication::primaryScreen()->geometry());
    v.show();
    Settle(v);
    v.NextPicture();
    Settle(v);
    ASSERT_TRUE(WaitForWorkersToEnd());
    {
        const std::lock_guard lock(mutex);
        stall = true;
    }
    v.PreviousPicture();
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stalled; });
    }
    EXPECT_TRUE(v.AwaitingPrefetch());
    const auto centre = [&v] {
        const QImage& picture = v.Image1->Picture();
        return picture.pixel(picture.width() / 2, picture.height() / 2);
    };
    EXPECT_EQ(centre(), kGreen) << "the picture before stays until the new one is there";
    v.PressKey(vk::Escape);
    EXPECT_FALSE(v.isVisible());
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, settingskey::Viewer, "DispTime", -1), 3);
    {
        const std::lock_guard lock(mutex);
        stall = false;
    }
    changed.notify_all();
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_EQ(centre(), kGreen) << "the dropped decode is never shown";
}

// Enter on a picture on a share that sleeps: the screen answers its keys while the picture waits.
TEST_F(ViewerTest, AFirstPictureOnAStalledShareHoldsNoKey) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("share"));
    const QByteArray green = Picture("share/g.bmp", {8, 6}, kGreen);
    stall_shim_hold(QFile::encodeName(dir.filePath("share")).constData());
    viewer = std::make_unique<TViewer_Form>(services.Screens());
    viewer->path = green;
    viewer->setGeometry(QGuiApplication::primaryScreen()->geometry());
    viewer->show();
    ASSERT_EQ(stall_shim_wait_for_stalled(1, 30000), 1);
    EXPECT_TRUE(viewer->AwaitingPrefetch());
    viewer->PressKey('I', kCtrl);
    EXPECT_FALSE(viewer->PB1->isHidden());
    viewer->PressKey(vk::Escape);
    EXPECT_FALSE(viewer->isVisible());
    stall_shim_release();
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_FALSE(viewer->Image1->HasPicture()) << "the dropped decode is never shown";
}

TEST_F(ViewerTest, StepsForwardDrawThePictureDecodedAheadAndStepsBackDecodeAgain) {
    // Every decode, by the name of its picture.
    std::mutex mutex;
    QStringList decodes;
    TViewer_Form v(services.Screens(), [&](TSPIBitmap& bitmap, const QByteArray& picturePath) {
        {
            const std::lock_guard lock(mutex);
            decodes.append(QFileInfo(QFile::decodeName(picturePath)).completeBaseName());
        }
        LoadPictureFile(bitmap, picturePath);
    });
    const auto decoded = [&] {
        EXPECT_TRUE(WaitForWorkersToEnd());
        const std::lock_guard lock(mutex);
        return decodes.join(' ');
    };
    v.listFlag = true;
    v.path = ThreePictures();
    v.setGeometry(QGuiApplication::primaryScreen()->geometry());
    v.show();
    Settle(v);
    EXPECT_EQ(decoded(), "r g") << "the first picture, then the next one ahead";
    const auto centre = [&v] {
        const QImage& picture = v.Image1->Picture();
        return picture.pixel(picture.width() / 2, picture.height() / 2);
    };
    v.NextPicture();
    Settle(v);
    EXPECT_EQ(centre(), kGreen);
    v.NextPicture();
    Settle(v);
    EXPECT_EQ(centre(), kBlue);
    EXPECT_EQ(decoded(), "r g b") << "both steps forward were decoded ahead";
    EXPECT_EQ(v.Image1->Picture().size(), v.Image1->size());
    v.PreviousPicture();
    Settle(v);
    EXPECT_EQ(centre(), kGreen);
    EXPECT_EQ(decoded(), "r g b g b");
    // The bar takes room from the picture: what was decoded ahead for the old area is dropped.
    v.ToggleProgress();
    v.NextPicture();
    Settle(v);
    EXPECT_EQ(centre(), kBlue);
    EXPECT_EQ(decoded(), "r g b g b b");
    EXPECT_EQ(v.Image1->Picture().size(), v.Image1->size());
    v.close();
}

TEST_F(ViewerTest, APictureDecodedAheadIsDroppedWhenTheListIsReadAgain) {
    const QByteArray list =
        List({Picture("r.bmp", {8, 6}, kRed), Picture("g.bmp", {8, 6}, kGreen)});
    TViewer_Form& v = Open(list, true);
    ASSERT_TRUE(QTest::qWaitFor([&v] { return v.PrefetchReady(); }, 10000));
    Picture("g.bmp", {8, 6}, kBlue); // changed after it was decoded ahead
    v.FormShow();
    v.NextPicture();
    Settle(v);
    EXPECT_EQ(Centre(), kBlue);
}

TEST_F(ViewerTest, ClosingWhileTheNextPictureIsDecodedEndsAtOnce) {
    // Large enough that its decode is still running when the viewer goes.
    const QByteArray big = Picture("big.jpg", {4000, 3000}, kGreen, "JPG");
    TSPIs host;
    host.OnSearch = SPIs1Search;
    host.Search(QStringLiteral(COUCHFRAME_PLUGIN_BUILD_DIR "/jpeg.spi"));
    ASSERT_EQ(host.Count(), 1);
    TViewer_Form& v = Open(List({Picture("r.bmp", {8, 6}, kRed), big}), true, &host);
    v.PressKey(vk::Escape);
    Settle(v);
    QCoreApplication::processEvents();
    EXPECT_FALSE(v.isVisible());
    viewer.reset();
    // The host's end takes the plug-ins from under no decode: the dropped one has stopped.
    SUCCEED();
}

TEST_F(ViewerTest, JpegThroughTheShippedPlugin) {
    TSPIs host;
    host.OnSearch = SPIs1Search;
    host.Search(QStringLiteral(COUCHFRAME_PLUGIN_BUILD_DIR "/jpeg.spi"));
    ASSERT_EQ(host.Count(), 1);
    Open(List({Picture("a.jpg", {64, 48}, kRed, "JPG"), Picture("b.jpeg", {48, 64}, kBlue, "JPG")}),
         true, &host);
    const auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) < 8 && std::abs(qGreen(a) - qGreen(b)) < 8 &&
               std::abs(qBlue(a) - qBlue(b)) < 8;
    };
    EXPECT_TRUE(near(Centre(), kRed)) << std::hex << Centre();
    viewer->NextPicture();
    Settle(*viewer);
    EXPECT_TRUE(near(Centre(), kBlue)) << std::hex << Centre();
    // 48 x 64 on 800 x 800: 600 x 800 at (100, 0).
    EXPECT_EQ(viewer->Image1->Picture().pixel(99, 400), kBlack);
    EXPECT_TRUE(near(viewer->Image1->Picture().pixel(100, 400), kBlue));
    EXPECT_TRUE(near(viewer->Image1->Picture().pixel(699, 400), kBlue));
    EXPECT_EQ(viewer->Image1->Picture().pixel(700, 400), kBlack);
    EXPECT_TRUE(messages.texts.isEmpty());
}

} // namespace

// ---- the desktop: screen kept awake, the media session ----

TEST_F(ViewerTest, ScreenStaysAwakeOnlyWhileTheShowSteps) {
    TViewer_Form& v = Open(ThreePictures(), true);
    EXPECT_FALSE(services.awake.AnyHeld());
    v.StartSlideShow();
    Settle(v);
    EXPECT_TRUE(services.awake.AnyHeld());
    v.PauseSlideShow();
    EXPECT_FALSE(services.awake.AnyHeld()) << "paused";
    v.ToggleSlideShow();
    EXPECT_TRUE(services.awake.AnyHeld());
    v.Timer1Timer();
    Settle(v);
    v.Timer1Timer();
    Settle(v);
    v.Timer1Timer(); // at the end the show stops by itself
    EXPECT_FALSE(services.awake.AnyHeld()) << "ended";
    v.StartSlideShow();
    Settle(v);
    v.PressKey(vk::Escape);
    Settle(v);
    EXPECT_FALSE(services.awake.AnyHeld()) << "closed";
}

TEST_F(ViewerTest, SessionKeepsTheBytesOfANameThatIsNotText) {
    // Shift-JIS "あ" from an old disk: the URL gives the same bytes back, the title reads it.
    const QByteArray path = QFile::encodeName(dir.path()) + "/\x82\xA0.bmp";
    ASSERT_EQ(std::rename(Picture("r.bmp", {8, 6}, kRed).constData(), path.constData()), 0);
    Open(path, false);
    const MediaSessionState state = services.sessions.Top()->State();
    EXPECT_EQ(PathOfFileUrl(state.url.toLatin1()), path);
    EXPECT_EQ(state.title, QStringLiteral("あ.bmp"));
    viewer.reset();
    std::remove(path.constData()); // the temporary folder cannot remove a name that is not text
}

TEST_F(ViewerTest, SessionShowsThePictureAndDrivesTheShowAsTheKeysDo) {
    TViewer_Form& v = Open(ThreePictures(), true);
    MediaSession* session = services.sessions.Top();
    ASSERT_NE(session, nullptr);
    MediaSessionState state = session->State();
    EXPECT_EQ(state.status, MediaSessionState::Status::Stopped);
    EXPECT_EQ(state.title, "r.bmp");
    EXPECT_EQ(state.artUrl, QUrl::fromLocalFile(dir.filePath("r.bmp")).toString());
    EXPECT_TRUE(state.canGoNext);
    EXPECT_FALSE(state.canGoPrevious);

    session->PlayPause();
    EXPECT_TRUE(v.Running() && v.Timer1->enabled());
    EXPECT_EQ(session->State().status, MediaSessionState::Status::Playing);
    session->Next(); // stepping by hand waits while the show runs
    EXPECT_EQ(v.Index(), 0);
    session->Pause();
    EXPECT_EQ(session->State().status, MediaSessionState::Status::Paused);
    session->Next();
    EXPECT_EQ(v.Index(), 1);
    session->Previous();
    EXPECT_EQ(v.Index(), 0);
    session->Play();
    session->Stop();
    EXPECT_EQ(session->State().status, MediaSessionState::Status::Stopped);
    EXPECT_FALSE(services.awake.AnyHeld());
    v.PressKey(vk::Escape);
    Settle(v);
    EXPECT_EQ(services.sessions.Top(), nullptr);
}
