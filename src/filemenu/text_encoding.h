#pragma once

#include "platform/codepage.h"

#include <QByteArray>
#include <QByteArrayList>

// Text of the system code page is bytes ending at a NUL byte. One character is one byte, or two
// bytes when the first is a lead byte of the code page and the second is not NUL. The code page
// parameter defaults to the system's; tests name one.

// Whether a two-byte character starts at position: the byte there is not NUL, is a lead byte, and
// the byte after it is not NUL.
bool IsDoubleByteAt(const char* position, const CodePage& codePage = SystemCodePage());

// Steps over the character at position: 0 at the NUL (position unchanged), else its length in
// bytes (1 or 2), by which position moves on.
int NextChar(const char*& position, const CodePage& codePage = SystemCodePage());

// The number of characters before the first NUL.
int CharCount(const char* text, const CodePage& codePage = SystemCodePage());

// Whether the last character of the text is the single-byte character c: a trail byte that looks
// like c (0x5C of "表" in Shift-JIS) does not count.
bool EndsWithChar(const QByteArray& text, char c, const CodePage& codePage = SystemCodePage());

// Line-break modes of the encoder: keep every character, drop every LF, or drop every CR. Any
// other value keeps every character.
constexpr int kKeepLineBreaks = 0;
constexpr int kDropLf = 1;
constexpr int kDropCr = 2;

// Encodes the UTF-16 unit text[index] as UTF-8 into output at outputCount, advancing index and
// outputCount. The 0 unit sets index to 2147483647, which ends the caller's loop. A surrogate pair
// is one character and becomes one four-byte sequence (index moves on by two); a surrogate
// without its partner is encoded on its own as three bytes.
void EncodeUtf8Unit(const char16_t* text, int& index, char* output, int lineBreakMode,
                    int& outputCount);

// Encodes at most limit UTF-16 units of the text into buffer, followed by three NUL bytes, and
// returns buffer. The buffer must hold 3 × limit + 3 bytes.
char* EncodeUtf8Text(const char* text, char* buffer, int limit, int lineBreakMode,
                     const CodePage& codePage = SystemCodePage());

// Writes the lines, each followed by CR LF, as a UTF-8 file without byte-order mark, and a final
// Ctrl-Z (0x1A) when endOfFile is set. The file is replaced as a whole through a temporary file;
// raises EFCreateError when it cannot be written, leaving any earlier file as it was.
void SaveTextUtf8(const QByteArray& fileName, const QByteArrayList& lines, int lineBreakMode,
                  bool endOfFile, const CodePage& codePage = SystemCodePage());
