#include "viewer/picture_file.h"

#include "platform/byte_path.h"
#include "spi/spibmp.h"

#include <QCoreApplication>

void LoadPictureFile(TSPIBitmap& bitmap, const QByteArray& path) {
    // Opened first also to refuse what is not a regular file (a FIFO put in a picture's place
    // after the listing) before any decoder, ours or a plug-in's, waits on it.
    QFile file;
    if (!OpenPathBytes(file, path))
        throw EInvalidGraphic(
            QCoreApplication::translate("Viewer", "Susie Plugins could not decode"));
    const QString name = QFile::decodeName(path);
    if (QFile::encodeName(name) == path) {
        file.close();
        bitmap.LoadFile(name);
        return;
    }
    bitmap.LoadNamedStream(file, name);
}
