#include "settings_fixture.h"
#include "test_store.h"

#include "settings/reg_file.h"

namespace {

using RegFileTest = SettingsTest;

const QByteArray kHeader = "Windows Registry Editor Version 5.00\n\n";

QByteArray Export() {
    return ExportSettings(TestStore());
}

void FillEveryKind() {
    const QString key = QStringLiteral("Software\\Quor\\Couchframe\\Kinds");
    WriteSettingString(TestStore(), 0, key, "Plain", "hello");
    WriteSettingString(TestStore(), 0, key, "Quote\"And\\Back", "say \"hi\" C:\\dir\\");
    WriteSettingString(TestStore(), 0, key, "Japanese", "日本語のフォルダ");
    WriteSettingString(TestStore(), 0, key, "", "default value");
    WriteSettingString(TestStore(), 0, key, "Empty", "");
    WriteSettingInt(TestStore(), 0, key, "Number", -2);
    WriteSettingBool(TestStore(), 0, key, "Flag", true);
    WriteRaw(key, "Lines", ValueKind::Sz, QByteArray("one\ntwo\0", 8));
    WriteRaw(key, "Unterminated", ValueKind::Sz, QByteArray("abc"));
    WriteRaw(key, "Expand", ValueKind::ExpandSz, QByteArray("%HOME%\\x\0", 9));
    WriteRaw(key, "Multi", ValueKind::MultiSz, QByteArray("a\0bc\0\0", 6));
    WriteRaw(key, "Short", ValueKind::Dword, QByteArray("\x07", 1));
    WriteRaw(key, "Quad", ValueKind::Qword, QByteArray("\1\2\3\4\5\6\7\x08", 8));
    WriteRaw(key, "Nothing", ValueKind::None, QByteArray());
    QByteArray blob;
    for (int i = 0; i < 300; ++i)
        blob.append(char(i * 7));
    WriteRaw(key, "Blob", ValueKind::Binary, blob);
    WriteSettingInt(TestStore(), 3, "Software\\Machine", "Other", 1);
    TestStore().WriteAtomically(
        [] { TestStore().CreateKey(RootKey::CurrentUser, "Software\\Empty\\Deeper"); });
}

TEST_F(RegFileTest, ExportThenImportReproducesEveryKindAndEmptyKey) {
    FillEveryKind();
    const QByteArray exported = Export();

    TestStore().UseDatabase(folder.filePath("copy.db"));
    ImportSettings(TestStore(), exported);
    EXPECT_EQ(Export(), exported);
    const QString key = QStringLiteral("Software\\Quor\\Couchframe\\Kinds");
    EXPECT_EQ(ReadSettingString(TestStore(), 0, key, "quote\"and\\back", ""),
              "say \"hi\" C:\\dir\\");
    EXPECT_EQ(ReadSettingString(TestStore(), 0, key, "", ""), "default value");
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, key, "Number", 0), -2);
    for (const char* name : {"Lines", "Unterminated", "Expand", "Multi", "Short", "Quad", "Blob"}) {
        TestStore().UseDatabase(DatabasePath());
        const auto original = TestStore().ReadValue(RootKey::CurrentUser, key, name);
        TestStore().UseDatabase(folder.filePath("copy.db"));
        const auto copy = TestStore().ReadValue(RootKey::CurrentUser, key, name);
        ASSERT_TRUE(original && copy) << name;
        EXPECT_EQ(copy->kind, original->kind) << name;
        EXPECT_EQ(copy->data, original->data) << name;
    }
    EXPECT_TRUE(SettingKeyExists(TestStore(), "Software\\Empty\\Deeper"));
}

TEST_F(RegFileTest, ExportWritesTheRegistryEditorsText) {
    WriteSettingString(TestStore(), 0, "Software\\b", "Z", "1");
    WriteSettingInt(TestStore(), 0, "Software\\A\\b", "ActiveDelay", 10);
    WriteSettingInt(TestStore(), 0, "Software\\A-x", "n", 255);
    WriteSettingString(TestStore(), 0, "Software\\A", "", "d");
    WriteRaw("Software\\A", "Exp", ValueKind::ExpandSz, QByteArray("%a\0", 3));
    WriteRaw("Software\\A", "Bin", ValueKind::Binary, QByteArray("\x01\xab", 2));
    WriteRaw("Software\\A", "Long", ValueKind::Binary, QByteArray(30, '\x11'));
    EXPECT_EQ(Export(), kHeader + "[HKEY_CURRENT_USER\\Software]\n\n"
                                  "[HKEY_CURRENT_USER\\Software\\A]\n"
                                  "@=\"d\"\n"
                                  "\"Bin\"=hex:01,ab\n"
                                  "\"Exp\"=hex(2):25,00,61,00,00,00\n"
                                  "\"Long\"=hex:11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,"
                                  "11,11,11,11,11,11,\\\n"
                                  "  11,11,11,11,11,11,11,11\n\n"
                                  "[HKEY_CURRENT_USER\\Software\\A\\b]\n"
                                  "\"ActiveDelay\"=dword:0000000a\n\n"
                                  "[HKEY_CURRENT_USER\\Software\\A-x]\n"
                                  "\"n\"=dword:000000ff\n\n"
                                  "[HKEY_CURRENT_USER\\Software\\b]\n"
                                  "\"Z\"=\"1\"\n\n");
}

TEST_F(RegFileTest, ImportDeletesKeysAndValuesAndReadsTheEditorsOwnFiles) {
    WriteSettingInt(TestStore(), 0, "Software\\Old\\Sub", "x", 1);
    WriteSettingInt(TestStore(), 0, "Software\\Keep", "gone", 1);
    WriteSettingInt(TestStore(), 0, "Software\\Keep", "stays", 1);
    const QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                        "; a comment\r\n"
                                        "[-HKEY_CURRENT_USER\\Software\\OLD]\r\n\r\n"
                                        "[HKEY_CURRENT_USER\\Software\\Keep]\r\n"
                                        "\"GONE\"=-\r\n"
                                        "@=\"默认\"\r\n"
                                        "\"Hex\"=hex(4):05,00,\\\r\n"
                                        "    00,00\r\n");
    QByteArray utf16("\xff\xfe", 2);
    for (const QChar c : text) {
        utf16.append(char(c.unicode() & 0xff));
        utf16.append(char(c.unicode() >> 8));
    }
    ImportSettings(TestStore(), utf16);
    EXPECT_FALSE(SettingKeyExists(TestStore(), "Software\\Old"));
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, "Software\\Keep", "gone", -1), -1);
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, "Software\\Keep", "stays", -1), 1);
    EXPECT_EQ(ReadSettingString(TestStore(), 0, "Software\\Keep", "", ""), "默认");
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, "Software\\Keep", "Hex", 0), 5);

    ImportSettings(TestStore(), "\xef\xbb\xbfWindows Registry Editor Version 5.00\n\n"
                                "[HKEY_CURRENT_USER\\Software\\Keep]\n\"stays\"=\"text\"\n");
    EXPECT_EQ(ReadSettingString(TestStore(), 0, "Software\\Keep", "stays", ""), "text");
}

struct Malformed {
    const char* label;
    const char* body; // after the header line
    int line;
};

void PrintTo(const Malformed& file, std::ostream* out) {
    *out << file.label;
}

class MalformedImport : public SettingsTest, public ::testing::WithParamInterface<Malformed> {};

TEST_P(MalformedImport, NamesTheLineAndChangesNothing) {
    WriteSettingString(TestStore(), 0, settingskey::System, "ExitCode", "1234");
    const QByteArray before = Export();
    const QByteArray content =
        QByteArray("Windows Registry Editor Version 5.00\n") + GetParam().body;
    const QString message = RaisedMessage([&] { ImportSettings(TestStore(), content); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("line %1: ").arg(GetParam().line)))
        << message.toStdString();
    EXPECT_EQ(Export(), before);
}

// Each file first makes a change that must not survive the error further down.
#define CHANGE_FIRST                                                                               \
    "\n[-HKEY_CURRENT_USER\\Software\\Quor]\n[HKEY_CURRENT_USER\\New]\n\"a\"=\"b\"\n"
INSTANTIATE_TEST_SUITE_P(
    Files, MalformedImport,
    ::testing::Values(Malformed{"ValueBeforeKey", "\n\"a\"=\"b\"\n", 3},
                      Malformed{"UnclosedSection", CHANGE_FIRST "[HKEY_CURRENT_USER\\X\n", 6},
                      Malformed{"UnknownRoot", CHANGE_FIRST "[HKEY_NOWHERE\\X]\n", 6},
                      Malformed{"EmptyComponent", CHANGE_FIRST "[HKEY_CURRENT_USER\\A\\\\B]\n", 6},
                      Malformed{"RootDeleted", CHANGE_FIRST "[-HKEY_CURRENT_USER]\n", 6},
                      Malformed{"UnclosedQuote", CHANGE_FIRST "\"a\"=\"b\n", 6},
                      Malformed{"BadEscape", CHANGE_FIRST "\"a\"=\"b\\n\"\n", 6},
                      Malformed{"NoEquals", CHANGE_FIRST "\"a\" \"b\"\n", 6},
                      Malformed{"TextAfterQuote", CHANGE_FIRST "\"a\"=\"b\" c\n", 6},
                      Malformed{"LongDword", CHANGE_FIRST "\"a\"=dword:123456789\n", 6},
                      Malformed{"BadDword", CHANGE_FIRST "\"a\"=dword:xyz\n", 6},
                      Malformed{"BadHexByte", CHANGE_FIRST "\"a\"=hex:01,2g\n", 6},
                      Malformed{"BadHexKind", CHANGE_FIRST "\"a\"=hex(z):01\n", 6},
                      Malformed{"OddUtf16", CHANGE_FIRST "\"a\"=hex(2):41,00,42\n", 6},
                      Malformed{"ContinuesPastEnd", CHANGE_FIRST "\"a\"=hex:01,\\\n", 6},
                      Malformed{"UnknownData", CHANGE_FIRST "\"a\"=qword:1\n", 6},
                      Malformed{"ValueAfterDeletedKey",
                                CHANGE_FIRST "[-HKEY_CURRENT_USER\\New]\n\"c\"=\"d\"\n", 7},
                      Malformed{"NotUtf8", CHANGE_FIRST "\"a\"=\"\xff\xfe\"\n", 6}),
    [](const ::testing::TestParamInfo<Malformed>& info) { return info.param.label; });

TEST_F(RegFileTest, AFileWithoutTheHeaderIsRefused) {
    EXPECT_EQ(
        RaisedMessage([] { ImportSettings(TestStore(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n"); }),
        "line 1: the file does not start with \"Windows Registry Editor Version 5.00\"");
    EXPECT_FALSE(SettingKeyExists(TestStore(), "X"));
}

TEST_F(RegFileTest, AHeaderOnlyFileIsAnEmptyChange) {
    WriteSettingInt(TestStore(), 0, settingskey::System, "ActiveDelay", 4);
    ImportSettings(TestStore(), kHeader);
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, settingskey::System, "ActiveDelay", 0), 4);
}

TEST_F(RegFileTest, AnImportIntoARefusingStoreChangesNothing) {
    WriteSettingInt(TestStore(), 0, settingskey::System, "ActiveDelay", 4);
    TestStore().UseDatabase(DatabasePath(), SettingsStore::Access::ReadOnly);
    EXPECT_THROW(ImportSettings(TestStore(), kHeader + "[HKEY_CURRENT_USER\\X]\n"), AppError);
    TestStore().UseDatabase(DatabasePath());
    EXPECT_FALSE(SettingKeyExists(TestStore(), "X"));
}

} // namespace
