#include "player/now_playing.h"

#include "player/cover_art.h"
#include "player/id3v1.h"
#include "player/media_tags.h"

#include "platform/guessed_text.h"

namespace {
// A text field of the trailer: its bytes up to the first zero byte, trimmed, in no code page anyone
// wrote down.
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
// Bytes of an unknown code page (a tag field, a file name) as UTF-8.
QByteArray Readable(const QByteArray& bytes) {
    return GuessedText(bytes).toUtf8();
}

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
    for (QByteArray* text :
         {&fields.title, &fields.artist, &fields.album, &fields.year, &fields.comment})
        *text = Readable(*text);
    return fields;
}

QByteArray CaptionText(CaptionFields fields, const QByteArray& url) {
    if (fields.title.isEmpty())
        fields.title = Readable(TrimCaptionText(MediaNameWithoutExtension(url)));
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

QString NowPlayingCaption(const QByteArray& sourceUrl, const MediaMetadata& metadata,
                          const std::optional<Id3v1Buffer>& tag) {
    if (tag)
        return QString::fromUtf8(CaptionText(Id3v1Fields(*tag), sourceUrl));
    if (const auto fields = CaptionFieldsFromMetadata(metadata))
        return QString::fromUtf8(CaptionText(*fields, sourceUrl));
    return GuessedText(MediaNameWithoutExtension(sourceUrl));
}

NowPlayingFiles ReadNowPlayingFiles(const QByteArray& item, bool withCover) {
    NowPlayingFiles files{item, std::nullopt, {}};
    Id3v1Buffer tag{};
    if (ReadId3v1Tag(item, tag))
        files.tag = tag;
    if (withCover)
        files.folderCover = FolderCoverPicture(item);
    return files;
}

NowPlayingTags NowPlayingTagsOf(const QByteArray& sourceUrl,
                                const std::optional<Id3v1Buffer>& tag) {
    const QByteArray name = TrimCaptionText(MediaNameWithoutExtension(sourceUrl));
    if (!tag)
        return {GuessedText(name), {}, {}};
    const CaptionFields fields = Id3v1Fields(*tag);
    return {QString::fromUtf8(fields.title.isEmpty() ? Readable(name) : fields.title),
            QString::fromUtf8(fields.artist), QString::fromUtf8(fields.album)};
}
