#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
struct OptionCase {
    const char* name;
    std::vector<std::string> arguments;
    std::optional<int> status; // nothing: the program starts normally
};
// Names the case in test names and failure messages.
void PrintTo(const OptionCase& c, std::ostream* out) {
    *out << c.name;
}

class CommandLineTest : public ::testing::TestWithParam<OptionCase> {};

std::optional<int> RunWith(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "couchframe");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const std::optional<int> status = RunCommandLineOnly(int(arguments.size()), argv.data());
    testing::internal::GetCapturedStdout();
    const std::string errors = testing::internal::GetCapturedStderr();
    if (status == 2) {
        EXPECT_NE(errors.find("Usage: couchframe"), std::string::npos) << errors;
    }
    return status;
}
} // namespace

TEST_P(CommandLineTest, StartsOrEndsWithTheRightStatus) {
    EXPECT_EQ(RunWith(GetParam().arguments), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLineTest,
    ::testing::Values(
        OptionCase{"NoArguments", {}, std::nullopt},
        OptionCase{"ConfigBothSpellingsAnyCase", {"/config", "--CONFIG"}, std::nullopt},
        OptionCase{"QtOptionWithItsValue", {"-platform", "wayland", "--config"}, std::nullopt},
        OptionCase{"QtOptionDoubleDash", {"--display", ":1", "-reverse"}, std::nullopt},
        OptionCase{"QtValueThatLooksLikeAnOption", {"-style", "-fusion"}, std::nullopt},
        OptionCase{"PlainWordsAreNoOptions", {"/CONFIG", "extra", "-"}, std::nullopt},
        OptionCase{"Help", {"--help"}, 0}, OptionCase{"UnknownLongOption", {"--fullscreen"}, 2},
        OptionCase{"UnknownShortOption", {"-f"}, 2},
        OptionCase{"UnknownAfterKnown", {"--config", "--verbose"}, 2},
        OptionCase{"HelpOnlyFirst", {"--config", "--help"}, 2}),
    [](const auto& info) { return std::string(info.param.name); });
