#include "byte_literals.h"
#include "input/remote_report.h"

#include <gtest/gtest.h>

#include <optional>

namespace {
struct FoldCase {
    const char* name;
    RawInputMessage message;
    std::optional<quint32> code;
};

void PrintTo(const FoldCase& c, std::ostream* out) {
    *out << c.name;
}

RawInputMessage Message(quint32 type, quint32 sizeHid, quint32 count, QByteArray reports) {
    RawInputMessage message;
    message.dwType = type;
    message.dwSizeHid = sizeHid;
    message.dwCount = count;
    message.reports = std::move(reports);
    return message;
}

class FetchRemoteReportTest : public ::testing::TestWithParam<FoldCase> {};

TEST_P(FetchRemoteReportTest, FoldsTheFirstReport) {
    EXPECT_EQ(FetchRemoteReport(GetParam().message), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchRemoteReportTest,
    ::testing::Values(
        FoldCase{"ThreeBytes", RawInputMessage::FromReport(Bytes({0x04, 0x08, 0x00})), 0x00040800},
        FoldCase{"FourBytes", RawInputMessage::FromReport(Bytes({0x00, 0x04, 0x08, 0x00})),
                 0x00040800},
        FoldCase{"SixBytesKeepTheLastFour",
                 RawInputMessage::FromReport(Bytes({0x7F, 0x21, 0x00, 0x04, 0x08, 0x00})),
                 0x00040800},
        FoldCase{"ProgressButton", RawInputMessage::FromReport(Bytes({0x03, 0x00, 0x00, 0x02})),
                 0x03000002},
        FoldCase{"TwoReportsActOnTheFirst",
                 Message(RawInputMessage::kTypeHid, 4, 2,
                         Bytes({0x00, 0x04, 0x80, 0x00, 0x00, 0x04, 0x10, 0x00})),
                 0x00048000},
        FoldCase{"EmptyReportGivesZero", Message(RawInputMessage::kTypeHid, 0, 1, {}), 0},
        FoldCase{"NoReports", Message(RawInputMessage::kTypeHid, 4, 0, Bytes({0, 4, 8, 0})),
                 std::nullopt},
        FoldCase{"Mouse", Message(RawInputMessage::kTypeMouse, 4, 1, Bytes({0, 4, 8, 0})),
                 std::nullopt},
        FoldCase{"Keyboard", Message(RawInputMessage::kTypeKeyboard, 4, 1, Bytes({0, 4, 8, 0})),
                 std::nullopt},
        FoldCase{"ShorterThanItClaims", Message(RawInputMessage::kTypeHid, 8, 1, Bytes({4, 8, 0})),
                 0x00040800}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReportFromCode, GivesTheBytesThatFoldBackToTheCode) {
    for (quint32 code : {0x00048000u, 0x00040800u, 0x00041000u, 0x03000002u, 0xFFFFFFFFu}) {
        const QByteArray bytes = ReportFromCode(code);
        EXPECT_EQ(bytes.size(), 4);
        EXPECT_EQ(FetchRemoteReport(RawInputMessage::FromReport(bytes)), code);
    }
    EXPECT_EQ(ReportFromCode(0x00048000), Bytes({0x00, 0x04, 0x80, 0x00}));
}
} // namespace
