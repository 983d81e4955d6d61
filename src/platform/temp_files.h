#pragma once

#include "platform/error.h"

#include <QByteArray>
#include <QByteArrayView>

// The user's temporary directory: $TMPDIR when set, else "/tmp" (bytes of the file system, as
// given; a trailing separator is left as it is).
QByteArray TempDirectory();

// The file-creation error: "ファイル "<path>". <system error text> を作成できません".
class EFCreateError : public AppError {
public:
    EFCreateError(const QByteArray& path, int errorNumber);
};

// Writes the bytes as the whole new content of the file at path: they go to a fresh temporary
// file in the same folder, which is then renamed over the target. A symbolic link at path is
// replaced, never followed, and a reader sees either the old file or the complete new one.
// Raises EFCreateError, leaving any earlier file untouched, when the file cannot be written.
void WriteFileAtomically(const QByteArray& path, QByteArrayView bytes);
