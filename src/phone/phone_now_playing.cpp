#include "phone/phone_now_playing.h"

#include <QJsonDocument>
#include <QJsonObject>

QString NowPlayingMessage(const PhoneNowPlaying& nowPlaying, int coverRevision) {
    const QJsonObject item{
        {QStringLiteral("playing"), nowPlaying.playing},
        {QStringLiteral("title"), nowPlaying.title},
        {QStringLiteral("artist"), nowPlaying.artist},
        {QStringLiteral("folder"), nowPlaying.folder},
        {QStringLiteral("position"), nowPlaying.positionMs},
        {QStringLiteral("length"), nowPlaying.lengthMs},
        {QStringLiteral("paused"), nowPlaying.paused},
        {QStringLiteral("cover"), nowPlaying.cover.isEmpty() ? 0 : coverRevision},
    };
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("nowPlaying"), item}})
                                 .toJson(QJsonDocument::Compact));
}
