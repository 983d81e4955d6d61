#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>
#include <QString>

#include <bitset>

// A code page of byte strings (the system's, or one named explicitly), converted with iconv.
// Strings of the file system and the settings store are bytes in the system code page; they
// become UTF-16 only for display, sorting and the UTF-8 playlist.
class CodePage {
    Q_DECLARE_TR_FUNCTIONS(CodePage)

public:
    // The code page of an iconv code set name ("UTF-8", "CP932", "CP1252", ...). Raises AppError
    // when iconv does not know it.
    explicit CodePage(const QByteArray& codeset);

    const QByteArray& Name() const { return name_; }

    // Whether the byte begins a two-byte character. Only double-byte code pages have lead bytes:
    // a UTF-8 character is not a pair of bytes, so there every byte counts as a character of its
    // own (as Windows answers for its UTF-8 code page).
    bool IsLeadByte(unsigned char byte) const { return leadBytes_[byte]; }

    // The text as UTF-16. A byte that is not valid in the code page becomes U+FFFD; valid, when
    // given, tells whether the text converted without such a replacement.
    QString ToUtf16(QByteArrayView text, bool* valid = nullptr) const;

private:
    QByteArray name_;
    std::bitset<256> leadBytes_;
};

// The code page of the locale's code set (normally UTF-8). The C and POSIX locales, whose code
// set is ASCII, take UTF-8, as Qt does for file names.
const CodePage& SystemCodePage();
