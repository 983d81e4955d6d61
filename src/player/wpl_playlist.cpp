#include "player/wpl_playlist.h"

#include "platform/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {
// An "&" that does not start an entity or character reference stands for itself.
QByteArray EscapeBareAmpersands(const QByteArray& text) {
    static const QRegularExpression bare(
        QStringLiteral("&(?!(?:[A-Za-z_][A-Za-z0-9_.-]*|#[0-9]+|#x[0-9A-Fa-f]+);)"));
    return QString::fromUtf8(text).replace(bare, QStringLiteral("&amp;")).toUtf8();
}
} // namespace

bool IsWplPlaylist(const QString& url) {
    return url.endsWith(QLatin1String(".wpl"), Qt::CaseInsensitive);
}

QStringList ReadWplPlaylist(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("The playlist \"%1\" cannot be opened: %2")
                           .arg(path, file.errorString()));
    const QDir folder = QFileInfo(path).absoluteDir();
    QXmlStreamReader xml(EscapeBareAmpersands(file.readAll()));
    QStringList media;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() &&
            xml.name().compare(QLatin1String("media"), Qt::CaseInsensitive) == 0) {
            const QString source = xml.attributes().value(QLatin1String("src")).toString();
            if (!source.isEmpty())
                media.append(QDir::isAbsolutePath(source) ? source
                                                          : folder.absoluteFilePath(source));
        }
    }
    if (xml.hasError())
        throw AppError(QStringLiteral("The playlist \"%1\" cannot be read (line %2, column %3): %4")
                           .arg(path)
                           .arg(xml.lineNumber())
                           .arg(xml.columnNumber())
                           .arg(xml.errorString()));
    if (media.isEmpty())
        throw AppError(QStringLiteral("The playlist \"%1\" lists no media.").arg(path));
    return media;
}
