#include "filemenu/text_encoding.h"

#include "platform/temp_files.h"

#include <QChar>

#include <climits>
#include <cstring>

bool IsDoubleByteAt(const char* position, const CodePage& codePage) {
    return position[0] != '\0' && codePage.IsLeadByte(static_cast<unsigned char>(position[0])) &&
           position[1] != '\0';
}

int NextChar(const char*& position, const CodePage& codePage) {
    if (*position == '\0')
        return 0;
    const int length = IsDoubleByteAt(position, codePage) ? 2 : 1;
    position += length;
    return length;
}

int CharCount(const char* text, const CodePage& codePage) {
    int count = 0;
    while (NextChar(text, codePage) != 0)
        ++count;
    return count;
}

bool EndsWithChar(const QByteArray& text, char c, const CodePage& codePage) {
    const char* position = text.constData();
    int lastLength = 0;
    for (int length; (length = NextChar(position, codePage)) != 0;)
        lastLength = length;
    return lastLength == 1 && position[-1] == c;
}

void EncodeUtf8Unit(const char16_t* text, int& index, char* output, int lineBreakMode,
                    int& outputCount) {
    const char16_t c = text[index];
    auto put = [&](unsigned value) { output[outputCount++] = static_cast<char>(value); };
    if (c == 0) {
        index = INT_MAX;
        return;
    }
    ++index;
    if (c < 0x80) {
        if ((lineBreakMode == kDropLf && c == 0x0A) || (lineBreakMode == kDropCr && c == 0x0D))
            return;
        put(c);
    } else if (c < 0x800) {
        put(0xC0 | (c >> 6));
        put(0x80 | (c & 0x3F));
    } else if (QChar::isHighSurrogate(c) && QChar::isLowSurrogate(text[index])) {
        // One character outside the BMP: one four-byte sequence, as a UTF-8 reader expects.
        const char32_t code = QChar::surrogateToUcs4(c, text[index++]);
        put(0xF0 | (code >> 18));
        put(0x80 | ((code >> 12) & 0x3F));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    } else {
        put(0xE0 | (c >> 12));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    }
}

char* EncodeUtf8Text(const char* text, char* buffer, int limit, int lineBreakMode,
                     const CodePage& codePage) {
    // QString keeps a terminating 0 unit after its last unit, which ends the loop below.
    const QString units = codePage.ToUtf16(QByteArrayView(text, qstrlen(text))).left(limit);
    const auto* scratch = reinterpret_cast<const char16_t*>(units.utf16());
    int index = 0;
    int outputCount = 0;
    while (index < limit)
        EncodeUtf8Unit(scratch, index, buffer, lineBreakMode, outputCount);
    std::memset(buffer + outputCount, 0, 3);
    return buffer;
}

void SaveTextUtf8(const QByteArray& fileName, const QByteArrayList& lines, int lineBreakMode,
                  bool endOfFile, const CodePage& codePage) {
    QByteArray text;
    for (const QByteArray& line : lines)
        text += line + "\r\n";
    const int n = CharCount(text.constData(), codePage);
    // Each character is at most two UTF-16 units of at most three bytes each.
    QByteArray buffer(6 * static_cast<qsizetype>(n) + 7, '\0');
    EncodeUtf8Text(text.constData(), buffer.data(), 2 * n, lineBreakMode, codePage);
    QByteArray bytes(buffer.constData()); // up to the first NUL byte
    if (endOfFile)
        bytes += '\x1A';
    WriteFileAtomically(fileName, bytes);
}
