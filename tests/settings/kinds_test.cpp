#include "settings_fixture.h"
#include "test_store.h"

#include <variant>

namespace {

const QString kKey = QStringLiteral("Software\\Quor\\Couchframe\\Settings\\Viewer");

enum class Read { Int, Bool, String };

struct KindCase {
    const char* label;
    ValueKind kind;
    QByteArray data;
    Read read;
    // What the read yields with the default below (7, true, "default"), or the message it raises.
    std::variant<int, bool, QString> expected;
    const char* raised = nullptr;
};

void PrintTo(const KindCase& kindCase, std::ostream* out) {
    *out << kindCase.label;
}

QByteArray Bytes(const char* data, int size) {
    return QByteArray(data, size);
}

class KindTable : public SettingsTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(KindTable, ReadsFollowTheStoredKind) {
    const KindCase& c = GetParam();
    WriteRaw(kKey, "DispTime", c.kind, c.data);
    std::variant<int, bool, QString> got;
    const QString message = RaisedMessage([&] {
        switch (c.read) {
        case Read::Int:
            got = ReadSettingInt(TestStore(), 0, kKey, "DispTime", 7);
            break;
        case Read::Bool:
            got = ReadSettingBool(TestStore(), 0, kKey, "DispTime", true);
            break;
        case Read::String:
            got = ReadSettingString(TestStore(), 0, kKey, "DispTime", "default");
            break;
        }
    });
    if (c.raised) {
        EXPECT_EQ(message, QString::fromUtf8(c.raised));
    } else {
        EXPECT_EQ(message, QString());
        EXPECT_EQ(got, c.expected);
    }
}

const char kDataType[] = "'DispTime' のデータ型が不正です";
const char kReadData[] = "'DispTime' の取得に失敗しました";

INSTANTIATE_TEST_SUITE_P(
    Kinds, KindTable,
    ::testing::Values(
        KindCase{"NumberAsText", ValueKind::Sz, QByteArray("15", 3), Read::Int, 15},
        KindCase{"NegativeText", ValueKind::Sz, QByteArray("-4", 3), Read::Int, -4},
        KindCase{"LettersAsNumber", ValueKind::Sz, QByteArray("abc", 4), Read::Int, 7},
        KindCase{"EmptyTextAsNumber", ValueKind::Sz, QByteArray(1, '\0'), Read::Int, 7},
        KindCase{"NoDataAsNumber", ValueKind::Sz, QByteArray(), Read::Int, 7},
        KindCase{"OverflowingText", ValueKind::Sz, QByteArray("99999999999", 12), Read::Int, 7},
        KindCase{"FlagTwo", ValueKind::Dword, Bytes("\x02\0\0\0", 4), Read::Bool, true},
        KindCase{"FlagTextZero", ValueKind::Sz, QByteArray("0", 2), Read::Bool, false},
        KindCase{"FlagTextWord", ValueKind::Sz, QByteArray("yes", 4), Read::Bool, true},
        KindCase{"DwordNegative", ValueKind::Dword, Bytes("\xff\xff\xff\xff", 4), Read::Int, -1},
        KindCase{"ShortDword", ValueKind::Dword, Bytes("\x05", 1), Read::Int, 5},
        KindCase{"LongDword", ValueKind::Dword, Bytes("\1\0\0\0\0", 5), Read::Int, 0, kReadData},
        KindCase{"BinaryFour", ValueKind::Binary, Bytes("\1\0\0\0", 4), Read::Int, 0, kDataType},
        KindCase{"BinaryEmpty", ValueKind::Binary, QByteArray(), Read::Int, 0, kDataType},
        KindCase{"BinaryFive", ValueKind::Binary, Bytes("\1\0\0\0\0", 5), Read::Int, 0, kReadData},
        KindCase{"BinaryFlag", ValueKind::Binary, Bytes("\1", 1), Read::Bool, false, kDataType},
        KindCase{"ExpandShort", ValueKind::ExpandSz, QByteArray("%a", 3), Read::Int, 0, kDataType},
        KindCase{"ExpandLong", ValueKind::ExpandSz, QByteArray("%PATH%", 7), Read::Bool, false,
                 kReadData},
        KindCase{"OtherKindAsNumber", ValueKind::Qword, Bytes("\1\0\0\0\0\0\0\0", 8), Read::Int, 7},
        KindCase{"NoneKindAsFlag", ValueKind::None, QByteArray(), Read::Bool, true},
        KindCase{"DwordAsText", ValueKind::Dword, Bytes("\x0a\0\0\0", 4), Read::String, QString(),
                 kDataType},
        KindCase{"BinaryAsText", ValueKind::Binary, Bytes("ab", 2), Read::String, QString(),
                 kDataType},
        KindCase{"MultiAsText", ValueKind::MultiSz, QByteArray("a\0b\0", 5), Read::String,
                 QString(), kDataType},
        KindCase{"EmptyDwordAsText", ValueKind::Dword, QByteArray(), Read::String, QString()},
        KindCase{"ExpandAsText", ValueKind::ExpandSz, QByteArray("%HOME%/x", 9), Read::String,
                 QString("%HOME%/x")},
        KindCase{"TextUpToNul", ValueKind::Sz, QByteArray("ab\0cd", 6), Read::String,
                 QString("ab")},
        KindCase{"TextWithoutNul", ValueKind::Sz, QByteArray("abc"), Read::String, QString("abc")}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return info.param.label; });

TEST_F(SettingsTest, ATextReadOfANumberNamesTheValue) {
    WriteSettingInt(TestStore(), 0, kKey, "ShowProgress", 1);
    EXPECT_EQ(RaisedMessage([] { ReadSettingString(TestStore(), 0, kKey, "ShowProgress", ""); }),
              "'ShowProgress' のデータ型が不正です");
}

} // namespace
