#include "player/now_playing.h"

#include "player/id3v1.h"
#include "player/media_tags.h"

namespace {
// A text field of the trailer: its bytes up to the first zero byte, trimmed.
QByteArray Field(const Id3v1Buffer& tag, int offset, int length) {
    const QByteArray raw(tag.data() + offset, length);
    const qsizetype zero = raw.indexOf('\0');
    return TrimCaptionText(zero < 0 ? raw : raw.left(zero));
}

const QByteArray kBreak = QByteArrayLiteral("\r\n\r\n");
bool HasTrack(const CaptionFields& fields) {
    return fields.track > 0 && fields.track < 999;
}
} // namespace

QByteArray MediaNameWithoutExtension(const QByteArray& url) {
    const qsizetype separator = std::max(url.lastIndexOf('/'), url.lastIndexOf(':'));
    QByteArray name = url.mid(separator + 1);
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

namespace {
// The ID3v1 fields; without a track number the last two bytes belong to an ID3v1.0 comment.
CaptionFields Id3v1Fields(const Id3v1Buffer& tag) {
    CaptionFields fields;
    fields.title = Field(tag, 3, 30);
    fields.artist = Field(tag, 33, 30);
    fields.album = Field(tag, 63, 30);
    fields.year = Field(tag, 93, 4);
    fields.comment = Field(tag, 97, 28);
    fields.track =
        static_cast<unsigned char>(tag[125]) * 256 + static_cast<unsigned char>(tag[126]);
    if (!HasTrack(fields))
        fields.comment += Field(tag, 125, 2);
    return fields;
}

QByteArray CaptionText(CaptionFields fields, const QByteArray& url) {
    if (fields.title.isEmpty())
        fields.title = TrimCaptionText(MediaNameWithoutExtension(url));
    QByteArray caption = fields.title + kBreak;
    if (!fields.artist.isEmpty())
        caption += fields.artist + kBreak;
    caption += fields.album;
    if (!fields.year.isEmpty())
        caption += " (" + fields.year + ")";
    if (HasTrack(fields))
        caption += " - #" + QByteArray::number(fields.track);
    return caption + kBreak + fields.comment;
}
} // namespace

QString NowPlayingCaption(const QString& sourceUrl, const MediaMetadata& metadata) {
    // The caption is text of the system code page, as the file system gives it.
    const QByteArray url = sourceUrl.toLocal8Bit();
    Id3v1Buffer tag{};
    if (ReadId3v1Tag(sourceUrl, tag))
        return QString::fromLocal8Bit(CaptionText(Id3v1Fields(tag), url));
    if (const auto fields = CaptionFieldsFromMetadata(metadata))
        return QString::fromLocal8Bit(CaptionText(*fields, url));
    return QString::fromLocal8Bit(MediaNameWithoutExtension(url));
}

NowPlayingTags ReadNowPlayingTags(const QString& sourceUrl) {
    const QByteArray name = TrimCaptionText(MediaNameWithoutExtension(sourceUrl.toLocal8Bit()));
    Id3v1Buffer tag{};
    if (!ReadId3v1Tag(sourceUrl, tag))
        return {QString::fromLocal8Bit(name), {}, {}};
    const QByteArray title = Field(tag, 3, 30);
    return {QString::fromLocal8Bit(title.isEmpty() ? name : title),
            QString::fromLocal8Bit(Field(tag, 33, 30)), QString::fromLocal8Bit(Field(tag, 63, 30))};
}
