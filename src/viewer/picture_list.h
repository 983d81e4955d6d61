#pragma once

#include <QByteArray>
#include <QList>

// The picture paths of a list file: its lines exactly as stored, byte strings in the system code
// page (no trimming; an empty line is an entry). Lines end at LF, CR LF or a lone CR; a final line
// break does not add an empty entry. Raises AppError naming the file when it cannot be read.
QList<QByteArray> ReadPictureList(const QByteArray& path);
