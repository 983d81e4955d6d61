#include "viewer/picture_file.h"

#include "spi/spibmp.h"
#include "viewer/byte_path.h"

void LoadPictureFile(TSPIBitmap& bitmap, const QByteArray& path) {
    const QString name = QFile::decodeName(path);
    if (!path.contains('\0') && QFile::encodeName(name) == path) {
        bitmap.LoadFile(name);
        return;
    }
    QFile file;
    if (!OpenPathBytes(file, path))
        throw EInvalidGraphic(QStringLiteral("Susie Plugins could not decode"));
    bitmap.LoadNamedStream(file, name);
}
