#include "fake_control.h"
#include "input/app_command.h"
#include "mpv_control.h"
#include "player/player_form.h"
#include "player/screen_note.h"
#include "player/track_choice.h"
#include "rich_media.h"
#include "test_media.h"
#include "test_services.h"

#include <QFontInfo>
#include <QPointer>

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {
const ShiftState kCtrl{false, true, false};

// ---- indicators: large enough to read from the sofa, in both modes ----

struct IndicatorCase {
    const char* name;
    bool musicMode;
    std::function<void(TPlayer_Form&)> act;
    const char* text;
};

void PrintTo(const IndicatorCase& c, std::ostream* os) {
    *os << c.name;
}

class IndicatorTest : public ::testing::TestWithParam<IndicatorCase> {};

TEST_P(IndicatorTest, ShowsLargeAndBriefly) {
    auto* control = new FakeEngine;
    control->current = EngineState::Playing;
    TestServices services;
    TPlayer_Form form(std::unique_ptr<MediaEngine>(control), services.Screens());
    form.resize(1920, 1080);
    form.MusicPanel->setVisible(GetParam().musicMode);
    form.WMP1->setVisible(!GetParam().musicMode);
    form.show();
    control->level = 40;
    EXPECT_TRUE(form.Note->isHidden());
    GetParam().act(form);
    ASSERT_TRUE(form.Note->isVisible());
    EXPECT_EQ(form.Note->text(), QString::fromUtf8(GetParam().text));
    EXPECT_GE(QFontInfo(form.Note->font()).pixelSize(), 1080 / 20);
    EXPECT_TRUE(form.rect().contains(form.Note->geometry()));
    EXPECT_TRUE(WaitFor([&] { return form.Note->isHidden(); }, 5000));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, IndicatorTest,
    ::testing::Values(IndicatorCase{"PauseInVideo", false,
                                    [](TPlayer_Form& f) { f.PressKey('P', kCtrl); }, "Paused"},
                      IndicatorCase{"PlayInMusic", true,
                                    [](TPlayer_Form& f) {
                                        f.PressKey('P', kCtrl);
                                        f.PressKey('P', kCtrl);
                                    },
                                    "Playing"},
                      IndicatorCase{"RemotePause", true,
                                    [](TPlayer_Form& f) { f.WmAppCommand(appcommand::Pause); },
                                    "Paused"},
                      IndicatorCase{"MuteInVideo", false,
                                    [](TPlayer_Form& f) { f.PressKey(vk::F1 + 7); }, "Muted"},
                      IndicatorCase{"UnmuteInMusic", true,
                                    [](TPlayer_Form& f) {
                                        f.PressKey(vk::F1 + 7);
                                        f.WmAppCommand(appcommand::VolumeMute);
                                    },
                                    "Sound on"},
                      IndicatorCase{"VolumeUpInVideo", false,
                                    [](TPlayer_Form& f) { f.PressKey(vk::F1 + 8); }, "Volume 41"},
                      IndicatorCase{"VolumeDownInMusic", true,
                                    [](TPlayer_Form& f) { f.WmAppCommand(appcommand::VolumeDown); },
                                    "Volume 39"}));

// ---- track keys ----

// A name longer than the screen is wide goes on over more lines, never past the screen's edges.
TEST(ScreenNoteTest, ALongTextWrapsInsideTheScreen) {
    QWidget screen;
    screen.resize(1366, 768);
    ScreenNote note(&screen);
    note.ShowText(QStringLiteral("Waiting for The Complete Series of a Very Long Named Show "
                                 "Season 01 Remastered Edition…"),
                  ScreenNote::Size::Indicator, 0);
    EXPECT_GE(note.x(), 0);
    EXPECT_LE(note.geometry().right(), screen.width() - 1);
    const QFontMetrics metrics(note.font());
    EXPECT_GE(note.height(), 2 * metrics.height()); // two lines at least
    EXPECT_LE(note.geometry().bottom(), screen.height() - 1);
    // A short one stays on one line, centred.
    note.ShowText(QStringLiteral("Paused"), ScreenNote::Size::Indicator, 0);
    EXPECT_LT(note.height(), 2 * metrics.height());
    EXPECT_LE(std::abs(note.geometry().center().x() - screen.width() / 2), 1);
}

TEST(TrackKeys, CtrlTAndCtrlAAndTheRemotesButtonsCycleAndShowTheChoice) {
    auto* control = new FakeEngine;
    TestServices services;
    TPlayer_Form form(std::unique_ptr<MediaEngine>(control), services.Screens());
    form.resize(800, 600);
    EXPECT_FALSE(form.PressKey('T'));
    EXPECT_TRUE(form.PressKey('T', kCtrl));
    EXPECT_TRUE(form.PressKey('A', kCtrl));
    form.WmAppCommand(appcommand::CycleSubtitles);
    form.WmAppCommand(appcommand::CycleAudioTrack);
    EXPECT_EQ(*control->log,
              (QStringList{"cycle subtitles", "cycle audio", "cycle subtitles", "cycle audio"}));
    EXPECT_FALSE(form.Note->isHidden());
    EXPECT_EQ(form.Note->text(), QStringLiteral("Subtitles: English (1 of 2)"));
}

struct ChoiceCase {
    const char* name;
    TrackKind kind;
    std::optional<TrackDescription> selected;
    int count;
    const char* text;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) {
    *os << c.name;
}

class TrackChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(TrackChoiceTest, TellsTheChoice) {
    const ChoiceCase& c = GetParam();
    EXPECT_EQ(TrackChoiceText(c.kind, c.selected, c.count).toStdString(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, TrackChoiceTest,
    ::testing::Values(
        ChoiceCase{"LanguageAndTitle", TrackKind::Subtitles, TrackDescription{"eng", "Comments", 2},
                   3, "Subtitles: English — Comments (2 of 3)"},
        ChoiceCase{"TwoLetterCode", TrackKind::Audio, TrackDescription{"ja", "", 1}, 2,
                   "Audio: Japanese (1 of 2)"},
        ChoiceCase{"UnknownCodeShownAsItIs", TrackKind::Audio, TrackDescription{"qqq", "", 1}, 1,
                   "Audio: qqq (1 of 1)"},
        ChoiceCase{"UndeterminedLanguageIsLeftOut", TrackKind::Audio,
                   TrackDescription{"und", "Stereo", 2}, 2, "Audio: Stereo (2 of 2)"},
        ChoiceCase{"NeitherLanguageNorTitle", TrackKind::Subtitles, TrackDescription{"", "", 1}, 1,
                   "Subtitles: Track 1 (1 of 1)"},
        ChoiceCase{"TitleThatNamesTheLanguage", TrackKind::Subtitles,
                   TrackDescription{"eng", "English SDH", 2}, 2, "Subtitles: English SDH (2 of 2)"},
        ChoiceCase{"Off", TrackKind::Subtitles, std::nullopt, 2, "Subtitles off"},
        ChoiceCase{"NoSubtitles", TrackKind::Subtitles, std::nullopt, 0, "No subtitles"},
        ChoiceCase{"NoAudio", TrackKind::Audio, std::nullopt, 0, "No audio track"}));

TEST(PreferredLanguages, FromTheLocale) {
    EXPECT_EQ(PreferredLanguages(QLocale(QLocale::Japanese)), QStringLiteral("ja,jpn"));
    EXPECT_EQ(PreferredLanguages(QLocale(QLocale::German)), QStringLiteral("de,deu,ger"));
    EXPECT_EQ(PreferredLanguages(QLocale::c()), QString());
}

// ---- real libmpv: track choice and external subtitles ----

class MpvTracksTest : public ::testing::Test {
protected:
    MpvTracksTest() : player(MpvOptions{"null", false}) {}
    void Play(const QByteArray& path) {
        player.setURL(path);
        ASSERT_TRUE(WaitFor([&] { return player.playState() == playstate::Playing; }));
        // Paused, a slow machine cannot reach the end of the short clip while the test chooses.
        player.controls().pause();
    }
    MpvControl player;
};

TEST_F(MpvTracksTest, SubtitlesCycleThroughEveryTrackAndOff) {
    Play(Rich().subtitled);
    EXPECT_EQ(player.cycleTrack(TrackKind::Subtitles),
              QStringLiteral("Subtitles: English (1 of 2)"));
    EXPECT_EQ(player.cycleTrack(TrackKind::Subtitles),
              QStringLiteral("Subtitles: Japanese (2 of 2)"));
    EXPECT_EQ(player.cycleTrack(TrackKind::Subtitles), QStringLiteral("Subtitles off"));
    EXPECT_EQ(player.cycleTrack(TrackKind::Subtitles),
              QStringLiteral("Subtitles: English (1 of 2)"));
}

TEST_F(MpvTracksTest, AudioCyclesWithoutGoingSilent) {
    Play(Rich().subtitled);
    EXPECT_EQ(player.cycleTrack(TrackKind::Audio), QStringLiteral("Audio: Japanese (2 of 2)"));
    EXPECT_EQ(player.cycleTrack(TrackKind::Audio), QStringLiteral("Audio: English (1 of 2)"));
}

TEST_F(MpvTracksTest, SubtitleFileWithTheSameBaseNameIsLoaded) {
    QSignalSpy added(&player, &MediaPlayerControl::tracksAdded);
    Play(Rich().external);
    ASSERT_TRUE(WaitFor([&] { return !added.isEmpty(); }));
    // Whether it starts selected depends on the locale's languages; two steps show it either way.
    const QStringList choices{player.cycleTrack(TrackKind::Subtitles),
                              player.cycleTrack(TrackKind::Subtitles)};
    EXPECT_TRUE(choices.contains(QStringLiteral("Subtitles: English (1 of 1)")))
        << choices.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(choices.contains(QStringLiteral("Subtitles off")));
}

TEST_F(MpvTracksTest, NothingOpenHasNoTracks) {
    EXPECT_EQ(player.cycleTrack(TrackKind::Subtitles), QStringLiteral("No subtitles"));
}
} // namespace
