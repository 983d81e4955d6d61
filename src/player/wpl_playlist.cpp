#include "player/wpl_playlist.h"

#include "platform/byte_path.h"
#include "platform/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <cerrno>
#include <cstring>

namespace {
// An "&" that does not start an entity or character reference stands for itself.
QByteArray EscapeBareAmpersands(const QByteArray& text) {
    static const QRegularExpression bare(
        QStringLiteral("&(?!(?:[A-Za-z_][A-Za-z0-9_.-]*|#[0-9]+|#x[0-9A-Fa-f]+);)"));
    return QString::fromUtf8(text).replace(bare, QStringLiteral("&amp;")).toUtf8();
}

// The absolute folder of the playlist, ending in a separator.
QByteArray FolderOf(const QByteArray& path) {
    QByteArray folder = FolderOfPath(path);
    if (!path.startsWith('/'))
        folder.prepend(QFile::encodeName(QDir::currentPath()) + '/');
    return folder;
}

QByteArray MediaPath(const QString& source, const QByteArray& folder) {
    if (const auto path = PathOfFileUrl(source.toUtf8()))
        return *path;
    const QByteArray path = QFile::encodeName(source);
    return path.startsWith('/') ? path : folder + path;
}
} // namespace

bool IsWplPlaylist(const QByteArray& url) {
    return url.toLower().endsWith(".wpl");
}

QByteArrayList ReadWplPlaylist(const QByteArray& path) {
    const QString name = QFile::decodeName(path);
    QFile file;
    if (!OpenPathBytes(file, path)) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        throw AppError(
            QCoreApplication::translate("Player", "The playlist \"%1\" cannot be opened: %2")
                .arg(name, reason));
    }
    const QByteArray folder = FolderOf(path);
    QXmlStreamReader xml(EscapeBareAmpersands(file.readAll()));
    QByteArrayList media;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() &&
            xml.name().compare(QLatin1String("media"), Qt::CaseInsensitive) == 0) {
            const QString source = xml.attributes().value(QLatin1String("src")).toString();
            if (!source.isEmpty())
                media.append(MediaPath(source, folder));
        }
    }
    if (xml.hasError())
        throw AppError(QCoreApplication::translate(
                           "Player", "The playlist \"%1\" cannot be read (line %2, column %3): %4")
                           .arg(name)
                           .arg(xml.lineNumber())
                           .arg(xml.columnNumber())
                           .arg(xml.errorString()));
    if (media.isEmpty())
        throw AppError(
            QCoreApplication::translate("Player", "The playlist \"%1\" lists no media.").arg(name));
    return media;
}
