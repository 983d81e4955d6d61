#include "byte_named_files.h"
#include "player/language_code.h"
#include "player/sidecar_subtitles.h"
#include "player/track_preference.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

void PrintTo(const TrackPreference& preference, std::ostream* out) {
    *out << '"' << PreferenceText(preference).toStdString() << '"';
}

namespace {
template <typename Case> std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

// A failed case prints its name rather than its bytes.
template <typename Case>
requires requires(const Case& c) {
    c.name;
}
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

QString Latin1(const char* text) {
    return QString::fromLatin1(text);
}

TEST(LanguageCodeSame, InEveryFormAndLetterCase) {
    const char* const same[][2] = {{"en", "eng"}, {"EN", "eng"},    {"nor", "no"}, {"scc", "sr"},
                                   {"ja", "JPN"}, {"en-US", "eng"}, {"mul", "MUL"}};
    // Nothing matches "und" or an empty code, not even itself.
    const char* const different[][2] = {{"eng", "ger"}, {"nn", "nb"},   {"eng", "xen"},
                                        {"mul", "zxx"}, {"und", "und"}, {"", ""}};
    for (const auto& pair : same)
        EXPECT_TRUE(SameLanguage(Latin1(pair[0]), Latin1(pair[1])) &&
                    SameLanguage(Latin1(pair[1]), Latin1(pair[0])))
            << pair[0] << " " << pair[1];
    for (const auto& pair : different)
        EXPECT_FALSE(SameLanguage(Latin1(pair[0]), Latin1(pair[1])) ||
                     SameLanguage(Latin1(pair[1]), Latin1(pair[0])))
            << pair[0] << " " << pair[1];
}

// Every ISO 639-2/B code that differs from its /T form, with the two-letter code: all three
// are one language, stored in the /T form.
TEST(LanguageCodeBibliographic, IsTheSameLanguageStoredInTheTerminologicalForm) {
    const char* const codes[][3] = {
        {"alb", "sqi", "sq"}, {"arm", "hye", "hy"}, {"baq", "eus", "eu"}, {"bur", "mya", "my"},
        {"chi", "zho", "zh"}, {"cze", "ces", "cs"}, {"dut", "nld", "nl"}, {"fre", "fra", "fr"},
        {"geo", "kat", "ka"}, {"ger", "deu", "de"}, {"gre", "ell", "el"}, {"ice", "isl", "is"},
        {"mac", "mkd", "mk"}, {"mao", "mri", "mi"}, {"may", "msa", "ms"}, {"per", "fas", "fa"},
        {"rum", "ron", "ro"}, {"slo", "slk", "sk"}, {"tib", "bod", "bo"}, {"wel", "cym", "cy"}};
    for (const auto& code : codes) {
        EXPECT_TRUE(SameLanguage(Latin1(code[0]), Latin1(code[1])) &&
                    SameLanguage(Latin1(code[0]).toUpper(), Latin1(code[2])) &&
                    IsLanguageCode(Latin1(code[0])))
            << code[0];
        EXPECT_EQ(NormalLanguageCode(Latin1(code[0])), Latin1(code[1]));
        EXPECT_EQ(NormalLanguageCode(Latin1(code[2])), Latin1(code[1]));
    }
}

// A code's stored form, whether a file name tag is taken for it, and its English name.
TEST(LanguageCodeForms, NormalFormAndName) {
    const struct {
        const char* code;
        const char* normal;
        bool isCode;
        const char* name;
    } forms[] = {{"EN", "eng", true, "English"},
                 {"nor", "nob", true, "Norwegian Bokmal"}, // as Qt reads "no"
                 {"tgl", "fil", true, "Filipino"},         // as Qt reads "tl"
                 {"yue", "yue", true, "Cantonese"},        // has only an ISO 639-3 code
                 {"pt-BR", "por", false, "Portuguese"},
                 {"XYZ", "xyz", false, ""},
                 {"und", "und", false, ""},
                 {"English", "english", false, ""},
                 {"C", "c", false, ""}};
    for (const auto& form : forms) {
        EXPECT_EQ(NormalLanguageCode(Latin1(form.code)), Latin1(form.normal));
        EXPECT_EQ(IsLanguageCode(Latin1(form.code)), form.isCode) << form.code;
        EXPECT_EQ(EnglishLanguageName(Latin1(form.code)), Latin1(form.name));
    }
    EXPECT_EQ(LanguageCodeOfName(QStringLiteral("japanese")), QStringLiteral("jpn"));
    EXPECT_EQ(LanguageCodeOfName(QStringLiteral("Cantonese")), QStringLiteral("yue"));
    // Qt's names for "no language" are none.
    for (const char* none : {"Default", "C", "Director", ""})
        EXPECT_EQ(LanguageCodeOfName(Latin1(none)), QString()) << none;
}

// Subtitle files written into a temporary folder beside "film.mkv".
class SidecarTest : public ::testing::Test {
protected:
    SidecarTest() { Make(kVideo); }
    ~SidecarTest() override { RemoveByteNamedTree(root); }

    // An empty file at the path below the folder, its folders made as needed.
    QByteArray Make(const QByteArray& relative) const {
        const QByteArray path = root + '/' + relative;
        for (qsizetype slash = path.indexOf('/', root.size() + 1); slash >= 0;
             slash = path.indexOf('/', slash + 1))
            ::mkdir(path.left(slash).constData(), 0755);
        EXPECT_TRUE(WriteByteNamedFile(path, "1\n00:00:01,000 --> 00:00:02,000\nHi\n"))
            << path.toHex(' ').constData();
        return path;
    }

    std::vector<QByteArray> FoundPaths(const QByteArray& video) const {
        std::vector<QByteArray> paths;
        for (const SidecarSubtitle& subtitle : FindSidecarSubtitles(root + '/' + video))
            paths.push_back(subtitle.path.mid(root.size() + 1));
        return paths;
    }

    static constexpr const char* kVideo = "film.mkv";
    QTemporaryDir temp;
    const QByteArray root = QFile::encodeName(temp.path());
};

struct NameCase {
    const char* name;
    const char* file; // below the video's folder
    const char* language;
    bool forced;
    bool hearingImpaired;
    const char* title;
};

class SidecarNames : public SidecarTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(SidecarNames, TellLanguageFlagsAndTitle) {
    const NameCase& c = GetParam();
    const QByteArray path = Make(c.file);
    const std::vector<SidecarSubtitle> found = FindSidecarSubtitles(root + '/' + kVideo);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].path, path);
    EXPECT_EQ(found[0].language, Latin1(c.language));
    EXPECT_EQ(found[0].forced, c.forced);
    EXPECT_EQ(found[0].hearingImpaired, c.hearingImpaired);
    EXPECT_EQ(found[0].title, QString::fromUtf8(c.title));
}

INSTANTIATE_TEST_SUITE_P(
    SidecarBesideTheVideo, SidecarNames,
    ::testing::Values(
        NameCase{"NoTags", "film.srt", "", false, false, ""},
        NameCase{"TwoLetterCode", "film.en.srt", "eng", false, false, "English"},
        NameCase{"ThreeLetterCode", "film.eng.srt", "eng", false, false, "English"},
        NameCase{"BibliographicCode", "film.ger.sub", "deu", false, false, "German"},
        NameCase{"Forced", "film.en.forced.srt", "eng", true, false, "English (forced)"},
        NameCase{"FlagFirst", "film.forced.en.srt", "eng", true, false, "English (forced)"},
        NameCase{"Sdh", "film.eng.sdh.srt", "eng", false, true, "English SDH"},
        NameCase{"HiAfterALanguage", "film.en.hi.srt", "eng", false, true, "English SDH"},
        NameCase{"HiAloneIsHindi", "film.hi.srt", "hin", false, false, "Hindi"},
        NameCase{"SdhAndForced", "film.eng.sdh.forced.srt", "eng", true, true,
                 "English SDH (forced)"},
        NameCase{"CcWithoutLanguage", "film.cc.srt", "", false, true, "SDH"},
        NameCase{"ForcedWithoutLanguage", "film.forced.srt", "", true, false, "Forced"},
        NameCase{"Japanese", "film.ja.ass", "jpn", false, false, "Japanese"},
        NameCase{"OtherText", "film.Director.srt", "", false, false, "Director"},
        NameCase{"OtherTextForced", "film.Director.forced.vtt", "", true, false,
                 "Director (forced)"},
        NameCase{"LanguageAndText", "film.fr.Director.ssa", "fra", false, false,
                 "French — Director"},
        NameCase{"LanguageName", "film.English.sup", "eng", false, false, "English"},
        NameCase{"CapitalLetters", "FILM.EN.SRT", "eng", false, false, "English"}),
    CaseName<NameCase>);

INSTANTIATE_TEST_SUITE_P(
    SidecarInSubtitleFolders, SidecarNames,
    ::testing::Values(
        NameCase{"EnglishName", "Subs/English.srt", "eng", false, false, "English"},
        NameCase{"NumberedName", "Subtitles/2_Japanese.srt", "jpn", false, false, "Japanese"},
        NameCase{"CodeAndFlag", "Subs/eng.forced.srt", "eng", true, false, "English (forced)"},
        NameCase{"FlagAlone", "Subs/sdh.srt", "", false, true, "SDH"},
        NameCase{"VideoNameInLowerCaseFolder", "subs/film.en.srt", "eng", false, false, "English"},
        NameCase{"CapitalFolder", "SUBTITLES/fre.srt", "fra", false, false, "French"}),
    CaseName<NameCase>);

TEST_F(SidecarTest, FilesOfOtherItemsAreNotFound) {
    for (const char* name :
         {"film2.en.srt", "film.en.txt", "other.en.srt", "film.idx", "Subs/.srt",
          "Subs/Director.srt", "Subs/other.en.srt", "Extras/film.en.srt", "film.srt/film.en.srt",
          // an item of its own whose name continues the video's
          "film.Extended.mkv", "film.Extended.srt", "film.Extended.en.srt",
          "Subs/film.Extended.de.srt"})
        Make(name);
    EXPECT_THAT(FoundPaths(kVideo), IsEmpty());
}

// "film.en.txt" is no item of its own: a language follows the video's name.
TEST_F(SidecarTest, BesideTheVideoThenSubsThenSubtitlesEachInByteOrder) {
    for (const char* name : {"Subtitles/eng.srt", "Subs/film.srt", "Subs/English.srt",
                             "film.fr.srt", "film.en.txt", "film.en.srt", "film.Director.srt"})
        Make(name);
    EXPECT_THAT(FoundPaths(kVideo),
                ElementsAre("film.Director.srt", "film.en.srt", "film.fr.srt", "Subs/English.srt",
                            "Subs/film.srt", "Subtitles/eng.srt"));
}

// "café" in Latin-1, in a folder named by a byte that is no UTF-8 either.
TEST_F(SidecarTest, NamesThatAreNoTextKeepTheirBytes) {
    const QByteArray folder = "d\xFF/";
    Make(folder + "caf\xE9.mkv");
    const QByteArray english = Make(folder + "caf\xE9.en.srt");
    const QByteArray french = Make(folder + "CAF\xE9.fr.srt");
    // Neither "É" in Latin-1 nor "é" in UTF-8 is the video's name.
    Make(folder + "caf\xC9.de.srt");
    Make(folder + "caf\xC3\xA9.it.srt");
    const std::vector<SidecarSubtitle> found =
        FindSidecarSubtitles(root + '/' + folder + "caf\xE9.mkv");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].path, french);
    EXPECT_EQ(found[0].language, QStringLiteral("fra"));
    EXPECT_EQ(found[1].path, english);
    EXPECT_EQ(found[1].language, QStringLiteral("eng"));
}

TEST_F(SidecarTest, MissingFolderIsEmpty) {
    EXPECT_THAT(FoundPaths("missing/film.mkv"), IsEmpty());
    EXPECT_THAT(FoundPaths("film.mkv/film.mkv"), IsEmpty());
    EXPECT_THAT(FoundPaths(QByteArray("film.mkv\0x", 10)), IsEmpty());
}

TEST_F(SidecarTest, UnreadableFolderIsEmpty) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    Make("film.en.srt");
    Make("Subs/English.srt");
    const QByteArray subs = root + "/Subs";
    ASSERT_EQ(::chmod(subs.constData(), 0), 0);
    const auto restoreSubs = qScopeGuard([&] { ::chmod(subs.constData(), 0755); });
    EXPECT_THAT(FoundPaths(kVideo), ElementsAre("film.en.srt"));
    ASSERT_EQ(::chmod(root.constData(), 0), 0);
    const auto restoreRoot = qScopeGuard([&] { ::chmod(root.constData(), 0700); });
    EXPECT_THAT(FoundPaths(kVideo), IsEmpty());
}

TrackFacts Track(const char* language, bool forced = false, bool sdh = false, qint64 id = 7) {
    return {id, Latin1(language), {}, forced, sdh, false};
}

// A typical film's subtitles: full, forced and SDH English, full and (external) forced German.
const std::vector<TrackFacts> kFilm = {
    Track("eng", false, false, 1),
    Track("eng", true, false, 2),
    Track("eng", false, true, 3),
    Track("ger", false, false, 4),
    {5, QStringLiteral("ger"), QStringLiteral("Forced"), true, false, true}};

using Choice = std::optional<std::optional<qint64>>;
const Choice kNoOpinion;
const Choice kSwitchOff{std::in_place};
Choice Select(qint64 id) {
    return Choice(std::in_place, id);
}

const TrackPreference kOff{true, {}, false, false};
TrackPreference Preference(const char* language, bool forced = false, bool sdh = false) {
    return {false, Latin1(language), forced, sdh};
}

struct ChoiceCase {
    const char* name;
    std::vector<TrackFacts> tracks;
    TrackPreference preference;
    Choice expected;
};

class TrackPreferenceChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(TrackPreferenceChoice, PicksTheClosestTrack) {
    const ChoiceCase& c = GetParam();
    EXPECT_EQ(ChooseTrack(c.tracks, c.preference), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    TrackPreferenceTracks, TrackPreferenceChoice,
    ::testing::Values(
        ChoiceCase{"FullTrackOfTheLanguage", kFilm, Preference("eng"), Select(1)},
        ChoiceCase{"TwoLetterCode", kFilm, Preference("en"), Select(1)},
        ChoiceCase{"ForcedWhenForcedWasChosen", kFilm, Preference("eng", true), Select(2)},
        ChoiceCase{"Sdh", kFilm, Preference("eng", false, true), Select(3)},
        ChoiceCase{"FewestFlagsApartThenFirst", kFilm, Preference("eng", true, true), Select(2)},
        ChoiceCase{"BibliographicTrackCode", kFilm, Preference("deu", true), Select(5)},
        ChoiceCase{"SdhMissingTakesTheFullTrack", kFilm, Preference("deu", false, true), Select(4)},
        ChoiceCase{"AbsentLanguageHasNoOpinion", kFilm, Preference("fra"), kNoOpinion},
        ChoiceCase{"ForcedWithoutLanguage", kFilm, Preference("", true), Select(2)},
        ChoiceCase{"SdhWithoutLanguage", kFilm, Preference("", false, true), Select(3)},
        ChoiceCase{"FlagsNoTrackCarries", {Track("eng")}, Preference("", true), kNoOpinion},
        ChoiceCase{"NoPreference", kFilm, TrackPreference{}, kNoOpinion},
        ChoiceCase{"Off", kFilm, kOff, kSwitchOff},
        ChoiceCase{"OffWithoutTracks", {}, kOff, kSwitchOff},
        ChoiceCase{"FullTrackListedAfterTheForcedOne",
                   {Track("eng", true), Track("eng", false, false, 8)},
                   Preference("eng"),
                   Select(8)},
        ChoiceCase{"OnlyTheForcedTrackOfTheLanguage",
                   {Track("fre"), Track("en", true, false, 9)},
                   Preference("eng"),
                   Select(9)},
        ChoiceCase{"UndeterminedMatchesNothing", {Track("und")}, Preference("und"), kNoOpinion}),
    CaseName<ChoiceCase>);

TEST(TrackPreferenceOf, ChosenTrackGivesLanguageAndFlags) {
    EXPECT_EQ(PreferenceOf(std::nullopt), kOff);
    EXPECT_EQ(PreferenceOf(Track("en", true)), Preference("eng", true));
    EXPECT_EQ(PreferenceOf(Track("ger", false, true)), Preference("deu", false, true));
    EXPECT_EQ(PreferenceOf(Track("en-US")), Preference("eng"));
    EXPECT_EQ(PreferenceOf(Track("mul")), Preference("mul"));
    EXPECT_EQ(PreferenceOf(Track("und", true)), Preference("", true));
}

// Text read back as a preference, and that preference written and read again unchanged.
struct TextCase {
    const char* name;
    const char* text;
    TrackPreference expected;
};

class TrackPreferenceText : public ::testing::TestWithParam<TextCase> {};

TEST_P(TrackPreferenceText, ReadsBackWhatWasWritten) {
    const TextCase& c = GetParam();
    EXPECT_EQ(PreferenceFromText(Latin1(c.text)), c.expected);
    EXPECT_EQ(PreferenceFromText(PreferenceText(c.expected)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    TrackPreferenceStored, TrackPreferenceText,
    ::testing::Values(TextCase{"Off", "off", kOff}, TextCase{"Language", "eng", Preference("eng")},
                      TextCase{"Forced", "eng+forced", Preference("eng", true)},
                      TextCase{"Both", "eng+forced+sdh", Preference("eng", true, true)},
                      TextCase{"FlagsWithoutLanguage", "+sdh", Preference("", false, true)},
                      TextCase{"NoPreference", "", TrackPreference{}},
                      TextCase{"SdhFirstIsSouthernKurdish", "sdh", Preference("sdh")},
                      TextCase{"LetterCase", "OFF", kOff},
                      TextCase{"FlagsInOtherOrder", "ENG+sdh+Forced",
                               Preference("eng", true, true)},
                      TextCase{"OlderCodeForm", "ger+sdh", Preference("deu", false, true)}),
    CaseName<TextCase>);

TEST(TrackPreferenceOddText, GivesNoPreference) {
    for (const char* odd : {"eng+bogus", "eng+", "+", "eng++forced", "eng+forced+forced",
                            "off+forced", "english", "e", "12", " eng", "und", "\xC3\xA9n"})
        EXPECT_EQ(PreferenceFromText(QString::fromUtf8(odd)), TrackPreference{}) << odd;
}

TEST(TrackPreferenceTitle, TellsHearingImpaired) {
    for (const char* title :
         {"SDH", "English (SDH)", "english sdh", "English [CC]", "Closed Captions",
          "Hearing-Impaired", "English HI", "Deaf and hard of hearing"})
        EXPECT_TRUE(HearingImpairedTitle(QString::fromUtf8(title))) << title;
    // Neither letters inside a word nor "Hi" as a greeting.
    for (const char* title : {"Full", "Director's commentary", "Chinese (Accord)", "SDHx",
                              "Hi there", "Hearing aid test", ""})
        EXPECT_FALSE(HearingImpairedTitle(QString::fromUtf8(title))) << title;
}
} // namespace
