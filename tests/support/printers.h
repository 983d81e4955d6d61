#pragma once

// How GoogleTest prints Qt's texts and byte strings: as quoted text, so that failed comparisons
// and the names of parameterised cases read as what they hold. Every test source sees these
// (the test support library includes this header into each of them).

#include <QByteArray>
#include <QString>

#include <ostream>
#include <string>

// Quoted, with quotes, backslashes and control bytes escaped; bytes from 0x80 up stay as they are
// when utf8 is set, otherwise they are written as \xNN.
inline std::string QuotedForTest(const QByteArray& bytes, bool utf8) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\t') {
            text += "\\t";
        } else if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && !utf8)) {
            text += "\\x";
            text += digits[byte >> 4];
            text += digits[byte & 0xF];
        } else {
            text += c;
        }
    }
    return text + '"';
}

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << QuotedForTest(text.toUtf8(), true);
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << QuotedForTest(bytes, false);
}

// A C string's text, quoted like the above; a null pointer is written as null.
inline std::string QuotedForTest(const char* text) {
    return text ? QuotedForTest(QByteArray(text), true) : std::string("null");
}
