#pragma once

#include <QByteArray>

#include <functional>

class TSPIBitmap;

// Loads the picture at a file-system path (bytes) into the bitmap. A name that is not text in the
// system code page cannot pass through a QString unchanged, so that file is opened by its bytes and
// the decoders read the open file. Raises the decoders' error when the picture cannot be read.
void LoadPictureFile(TSPIBitmap& bitmap, const QByteArray& path);

// Decodes one picture into a bitmap; raises AppError when it cannot. Called on a worker thread.
using PictureLoader = std::function<void(TSPIBitmap& bitmap, const QByteArray& picturePath)>;
