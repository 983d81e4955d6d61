#include "byte_literals.h"
#include "filemenu/text_encoding.h"
#include "platform/codepage.h"
#include "platform/temp_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace {

const CodePage& Cp932() {
    static const CodePage codePage("CP932");
    return codePage;
}
const CodePage& Cp1252() {
    static const CodePage codePage("CP1252");
    return codePage;
}
const CodePage& Utf8() {
    static const CodePage codePage("UTF-8");
    return codePage;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

TEST(CodePageTest, Cp932LeadBytesAreTheShiftJisRanges) {
    for (int byte = 0; byte < 256; ++byte) {
        const bool expected = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        EXPECT_EQ(Cp932().IsLeadByte(byte), expected) << "byte " << byte;
    }
}

TEST(CodePageTest, SingleByteAndUtf8CodePagesHaveNoLeadBytes) {
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_FALSE(Cp1252().IsLeadByte(byte)) << "byte " << byte;
        EXPECT_FALSE(Utf8().IsLeadByte(byte)) << "byte " << byte;
    }
}

TEST(CodePageTest, SystemCodePageIsTheLocaleCodeset) {
    // The test locale is C.UTF-8 (or C, which takes UTF-8 as well).
    EXPECT_EQ(SystemCodePage().Name().toUpper(), "UTF-8");
}

TEST(CodePageTest, UnknownCodesetIsAnError) {
    EXPECT_THROW(CodePage("NO-SUCH-CODE-PAGE"), AppError);
}

TEST(CodePageTest, InvalidBytesBecomeReplacementCharacters) {
    bool valid = true;
    EXPECT_EQ(Utf8().ToUtf16(Bytes({'a', 0xFF, 'b', 0xE3}), &valid), u"a\uFFFDb\uFFFD");
    EXPECT_FALSE(valid);
    EXPECT_EQ(Cp932().ToUtf16(Bytes({0x82, 0xA0, 'x'}), &valid), u"\u3042x");
    EXPECT_TRUE(valid);
}

TEST(CharacterSteppingTest, DoubleByteCharacterIsOneCharacter) {
    const QByteArray text = Bytes({'a', 0x82, 0xA0, 'b'});
    const char* position = text.constData();
    EXPECT_FALSE(IsDoubleByteAt(position, Cp932()));
    EXPECT_EQ(NextChar(position, Cp932()), 1);
    EXPECT_TRUE(IsDoubleByteAt(position, Cp932()));
    EXPECT_EQ(NextChar(position, Cp932()), 2);
    EXPECT_EQ(NextChar(position, Cp932()), 1);
    const char* end = position;
    EXPECT_EQ(NextChar(position, Cp932()), 0);
    EXPECT_EQ(position, end);
    EXPECT_EQ(CharCount(text.constData(), Cp932()), 3);
    EXPECT_EQ(CharCount(Bytes({0x82, 0xA0}).constData(), Cp932()), 1);
    // In UTF-8 every byte is a character of its own.
    EXPECT_EQ(CharCount(text.constData(), Utf8()), 4);
    EXPECT_EQ(CharCount("", Cp932()), 0);
}

TEST(CharacterSteppingTest, LeadByteBeforeTheNulStepsOneByte) {
    const QByteArray text = Bytes({'a', 0x82});
    const char* position = text.constData() + 1;
    EXPECT_FALSE(IsDoubleByteAt(position, Cp932()));
    EXPECT_EQ(NextChar(position, Cp932()), 1);
    EXPECT_EQ(*position, '\0');
    EXPECT_EQ(CharCount(text.constData(), Cp932()), 2);
}

struct TrailingCase {
    QByteArray text;
    char c;
    bool expected;
};

void PrintTo(const TrailingCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(c.text) << " ends with " << QuotedForTest(QByteArray(1, c.c));
}

class TrailingCharTest : public ::testing::TestWithParam<TrailingCase> {};

TEST_P(TrailingCharTest, TestsCharactersNotBytes) {
    const TrailingCase& c = GetParam();
    EXPECT_EQ(EndsWithChar(c.text, c.c, Cp932()), c.expected) << c.text.toHex(' ').constData();
}

INSTANTIATE_TEST_SUITE_P(
    Cp932, TrailingCharTest,
    ::testing::Values(TrailingCase{"C:\\Media\\", '\\', true},
                      TrailingCase{"C:\\Media", '\\', false}, TrailingCase{"", '\\', false},
                      TrailingCase{"\\", '\\', true},
                      // "表" is 95 5C: its trail byte is not a backslash character
                      TrailingCase{Bytes({'C', ':', '\\', 0x95, 0x5C}), '\\', false},
                      TrailingCase{Bytes({'C', ':', '\\', 0x95, 0x5C, '\\'}), '\\', true},
                      TrailingCase{Bytes({0x95, 0x5C, 0x95, 0x5C}), '\\', false},
                      TrailingCase{"/tmp/", '/', true}, TrailingCase{"/tmp", '/', false}));

struct UnitCase {
    std::u16string text;
    int mode;
    QByteArray bytes;
};

void PrintTo(const UnitCase& c, std::ostream* out) {
    *out << "units";
    for (const char16_t unit : c.text)
        *out << " " << std::hex << std::uppercase << unsigned(unit);
    *out << std::dec << ", mode " << c.mode;
}

class EncodeUnitTest : public ::testing::TestWithParam<UnitCase> {};

TEST_P(EncodeUnitTest, EncodesEachUnitOnItsOwn) {
    const UnitCase& c = GetParam();
    char output[64] = {};
    int index = 0;
    int count = 0;
    while (index < int(c.text.size()))
        EncodeUtf8Unit(c.text.c_str(), index, output, c.mode, count);
    EXPECT_EQ(QByteArray(output, count).toHex(' '), c.bytes.toHex(' '));
}

INSTANTIATE_TEST_SUITE_P(
    Units, EncodeUnitTest,
    ::testing::Values(UnitCase{u"A", 0, "A"}, UnitCase{u"\u007F", 0, Bytes({0x7F})},
                      UnitCase{u"\u0080", 0, Bytes({0xC2, 0x80})},
                      UnitCase{u"\u00E9", 0, Bytes({0xC3, 0xA9})},
                      UnitCase{u"\u07FF", 0, Bytes({0xDF, 0xBF})},
                      UnitCase{u"\u0800", 0, Bytes({0xE0, 0xA0, 0x80})},
                      UnitCase{u"\u3042", 0, Bytes({0xE3, 0x81, 0x82})},
                      UnitCase{u"\uFFFF", 0, Bytes({0xEF, 0xBF, 0xBF})},
                      // a surrogate pair is one character: one four-byte sequence
                      UnitCase{u"\U0001F600", 0, Bytes({0xF0, 0x9F, 0x98, 0x80})},
                      UnitCase{u"\U00010000x", 0, Bytes({0xF0, 0x90, 0x80, 0x80, 'x'})},
                      UnitCase{u"\U0010FFFF", 0, Bytes({0xF4, 0x8F, 0xBF, 0xBF})},
                      // a surrogate without its partner is encoded on its own
                      UnitCase{std::u16string{char16_t(0xD83D), u'a'}, 0,
                               Bytes({0xED, 0xA0, 0xBD, 'a'})},
                      UnitCase{std::u16string{char16_t(0xDE00)}, 0, Bytes({0xED, 0xB8, 0x80})},
                      UnitCase{u"a\r\nb", 0, "a\r\nb"}, UnitCase{u"a\r\nb", 1, "a\rb"},
                      UnitCase{u"a\r\nb", 2, "a\nb"}, UnitCase{u"a\r\nb", 3, "a\r\nb"},
                      UnitCase{u"a\r\nb", -1, "a\r\nb"}));

TEST(EncodeUnitTest, ZeroUnitEndsTheLoop) {
    const char16_t text[] = u"\0x";
    char output[4] = {'?', '?', '?', '?'};
    int index = 0;
    int count = 0;
    EncodeUtf8Unit(text, index, output, 0, count);
    EXPECT_EQ(index, INT_MAX);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(output[0], '?');
}

struct TextCase {
    const CodePage& (*codePage)();
    QByteArray text;
    int limit;
    QByteArray utf8;
};

void PrintTo(const TextCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(c.text) << ", at most " << c.limit;
}

class EncodeTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(EncodeTextTest, ConvertsFromTheCodePageAndEndsWithThreeNuls) {
    const TextCase& c = GetParam();
    QByteArray buffer(3 * c.limit + 3, '#');
    EXPECT_EQ(EncodeUtf8Text(c.text.constData(), buffer.data(), c.limit, 0, c.codePage()),
              buffer.data());
    EXPECT_EQ(buffer.left(c.utf8.size() + 3).toHex(' '), (c.utf8 + QByteArray(3, '\0')).toHex(' '));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EncodeTextTest,
    ::testing::Values(
        TextCase{Cp1252, Bytes({0xE9}), 2, Bytes({0xC3, 0xA9})},
        TextCase{Cp932, Bytes({0x82, 0xA0}), 2, Bytes({0xE3, 0x81, 0x82})},
        // "日本" in Shift-JIS
        TextCase{Cp932, Bytes({0x93, 0xFA, 0x96, 0x7B, '.', 'a'}), 8, "\xE6\x97\xA5\xE6\x9C\xAC.a"},
        TextCase{Utf8, "\xE3\x81\x82", 6, "\xE3\x81\x82"},
        // a conversion that yields a surrogate pair: the character comes back as it was
        TextCase{Utf8, "\xF0\x9F\x98\x80", 8, "\xF0\x9F\x98\x80"},
        // a limit that cuts the pair leaves its first half
        TextCase{Utf8, "\xF0\x9F\x98\x80", 1, Bytes({0xED, 0xA0, 0xBD})},
        // the limit counts UTF-16 units
        TextCase{Cp1252, "abcdef", 3, "abc"}, TextCase{Cp1252, "", 0, ""}));

class SaveTextTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QByteArray FileName(const char* name) const { return QFile::encodeName(Path(name)); }
    QTemporaryDir dir;
};

TEST_F(SaveTextTest, LineBreakModes) {
    const QByteArrayList lines = {"abc", "def"};
    SaveTextUtf8(FileName("0.txt"), lines, 0, false);
    SaveTextUtf8(FileName("1.txt"), lines, 1, false);
    SaveTextUtf8(FileName("2.txt"), lines, 2, false);
    EXPECT_EQ(ReadAll(Path("0.txt")).toHex(' '), "61 62 63 0d 0a 64 65 66 0d 0a");
    EXPECT_EQ(ReadAll(Path("1.txt")).toHex(' '), "61 62 63 0d 64 65 66 0d");
    EXPECT_EQ(ReadAll(Path("2.txt")).toHex(' '), "61 62 63 0a 64 65 66 0a");
}

TEST_F(SaveTextTest, EmptyListAndEndOfFileByte) {
    SaveTextUtf8(FileName("empty.txt"), {}, 0, false);
    SaveTextUtf8(FileName("eof.txt"), {}, 0, true);
    SaveTextUtf8(FileName("line.txt"), {"x"}, 0, true);
    EXPECT_EQ(ReadAll(Path("empty.txt")), QByteArray());
    EXPECT_EQ(ReadAll(Path("eof.txt")), "\x1A");
    EXPECT_EQ(ReadAll(Path("line.txt")), "x\r\n\x1A");
}

TEST_F(SaveTextTest, JapaneseInEitherCodePageBecomesTheSameUtf8) {
    SaveTextUtf8(FileName("sjis.txt"), {Bytes({0x82, 0xA0, 0x93, 0xFA})}, 0, false, Cp932());
    SaveTextUtf8(FileName("utf8.txt"), {"\xE3\x81\x82\xE6\x97\xA5"}, 0, false, Utf8());
    EXPECT_EQ(ReadAll(Path("sjis.txt")), "\xE3\x81\x82\xE6\x97\xA5\r\n");
    EXPECT_EQ(ReadAll(Path("utf8.txt")), "\xE3\x81\x82\xE6\x97\xA5\r\n");
}

TEST_F(SaveTextTest, NulInsideTheTextEndsTheOutput) {
    SaveTextUtf8(FileName("nul.txt"), {QByteArray("ab\0cd", 5), "ef"}, 0, false);
    EXPECT_EQ(ReadAll(Path("nul.txt")), "ab");
}

TEST_F(SaveTextTest, ReplacesTheFileAndNotWhatALinkPointsTo) {
    QFile target(Path("target.txt"));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("keep me");
    target.close();
    ASSERT_EQ(symlink(FileName("target.txt").constData(), FileName("link.txt").constData()), 0);
    SaveTextUtf8(FileName("link.txt"), {"new"}, 0, false);
    EXPECT_EQ(ReadAll(Path("target.txt")), "keep me");
    EXPECT_FALSE(QFileInfo(Path("link.txt")).isSymLink());
    EXPECT_EQ(ReadAll(Path("link.txt")), "new\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";
}

TEST_F(SaveTextTest, FileThatCannotBeCreatedRaisesTheFileCreationError) {
    const QByteArray name = FileName("missing-folder/out.txt");
    try {
        SaveTextUtf8(name, {"x"}, 0, false);
        FAIL() << "no error raised";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(error.message(),
                  QStringLiteral("ファイル \"%1\". %2 を作成できません")
                      .arg(QString::fromUtf8(name), QString::fromLocal8Bit(std::strerror(ENOENT))));
    }
}

} // namespace
