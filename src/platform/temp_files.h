#pragma once

#include "platform/error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QCoreApplication>

// The file-creation error: "ファイル "<path>". <system error text> を作成できません".
class EFCreateError : public AppError {
    Q_DECLARE_TR_FUNCTIONS(EFCreateError)

public:
    EFCreateError(const QByteArray& path, int errorNumber);
};

// The folder of the user's own temporary files, made with mode 0700 when missing:
// $XDG_RUNTIME_DIR/couchframe when the runtime directory is the user's own and private, else
// "couchframe-<uid>" in $TMPDIR, else in /tmp. A shared /tmp is sticky: one account's files there
// cannot be replaced by another's, and anyone can put a folder or link at a predictable name.
// Raises EFCreateError when it cannot be made, and AppError naming the folder and the reason when
// what is there is not a folder of the user's own that only the user can enter (a symbolic link,
// another account's folder, one with a wider mode).
QByteArray PrivateTempDirectory();

// Writes the bytes as the whole new content of the file at path: they go to a fresh temporary
// file in the same folder, which is then renamed over the target. A symbolic link at path is
// replaced, never followed, and a reader sees either the old file or the complete new one.
// Raises EFCreateError, leaving any earlier file untouched, when the file cannot be written.
void WriteFileAtomically(const QByteArray& path, QByteArrayView bytes);
