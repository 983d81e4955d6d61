#pragma once

#include <QByteArrayView>
#include <QString>

// Text whose code page nobody wrote down (ID3v1 tags, names from old disks): valid UTF-8 is taken
// as UTF-8, else text that is valid CP932 (Shift-JIS, the Japanese Windows code page) as CP932,
// else every byte as Latin-1, so that nothing shows as "����".
QString GuessedText(QByteArrayView bytes);

// Whether the bytes are valid UTF-8 (no stray, cut-off, overlong or surrogate sequences).
bool IsValidUtf8(QByteArrayView bytes);
