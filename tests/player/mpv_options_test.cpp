#include "platform/error.h"
#include "player/mpv_engine.h"

#include <gtest/gtest.h>

#include <string>

namespace {
struct OptionsCase {
    const char* name;
    const char* text;
    MpvOptions expected;
};

void PrintTo(const OptionsCase& c, std::ostream* out) {
    *out << c.name;
}

class MpvOptionsText : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(MpvOptionsText, GivesTheOutputs) {
    EXPECT_EQ(ParseMpvOptions(QString::fromUtf8(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, MpvOptionsText,
    ::testing::Values(OptionsCase{"Empty", "", MpvOptions{}},
                      OptionsCase{"NullAudio", "ao=null", MpvOptions{QStringLiteral("null"), true}},
                      OptionsCase{"NullBoth", "ao=null,vo=null",
                                  MpvOptions{QStringLiteral("null"), false}},
                      OptionsCase{"BlanksAndEmptyItems", " vo = null ,, ao=alsa ,",
                                  MpvOptions{QStringLiteral("alsa"), false}},
                      OptionsCase{"LibmpvVideo", "vo=libmpv", MpvOptions{}},
                      OptionsCase{"LastWins", "vo=null,vo=libmpv,ao=pulse,ao=null",
                                  MpvOptions{QStringLiteral("null"), true}}),
    [](const auto& info) { return std::string(info.param.name); });

class MpvOptionsRefused : public ::testing::TestWithParam<std::string> {};

// A video output of its own would open a window outside the player; anything unknown is named.
TEST_P(MpvOptionsRefused, NamesTheItem) {
    try {
        ParseMpvOptions(QString::fromStdString(GetParam()));
        FAIL() << "accepted " << GetParam();
    } catch (const AppError& error) {
        EXPECT_TRUE(error.message().contains(QString::fromStdString(GetParam()).trimmed()))
            << error.message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Refused, MpvOptionsRefused,
                         ::testing::Values("vo=gpu", "hwdec=no", "ao", "ao=", "=null"));
} // namespace
