#include "player/now_playing.h"

#include "player/id3v1.h"

namespace {
// Blanks and control characters (codes up to 0x20) removed from both ends.
QByteArray Trim(QByteArray text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

// A text field of the trailer: its bytes up to the first zero byte, trimmed.
QByteArray Field(const Id3v1Buffer& tag, int offset, int length) {
    const QByteArray raw(tag.data() + offset, length);
    const qsizetype zero = raw.indexOf('\0');
    return Trim(zero < 0 ? raw : raw.left(zero));
}

const QByteArray kBreak = QByteArrayLiteral("\r\n\r\n");
} // namespace

QByteArray MediaNameWithoutExtension(const QByteArray& url) {
    const qsizetype separator = std::max(url.lastIndexOf('/'), url.lastIndexOf(':'));
    QByteArray name = url.mid(separator + 1);
    const qsizetype dot = name.lastIndexOf('.');
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

QString NowPlayingCaption(const QString& sourceUrl) {
    // The caption is text of the system code page, as the file system gives it.
    const QByteArray url = sourceUrl.toLocal8Bit();
    Id3v1Buffer tag{};
    if (!ReadId3v1Tag(sourceUrl, tag))
        return QString::fromLocal8Bit(MediaNameWithoutExtension(url));

    QByteArray title = Field(tag, 3, 30);
    const QByteArray artist = Field(tag, 33, 30);
    const QByteArray album = Field(tag, 63, 30);
    const QByteArray year = Field(tag, 93, 4);
    QByteArray comment = Field(tag, 97, 28);
    const int track =
        static_cast<unsigned char>(tag[125]) * 256 + static_cast<unsigned char>(tag[126]);
    const bool hasTrack = track > 0 && track < 999;

    if (title.isEmpty())
        title = Trim(MediaNameWithoutExtension(url));
    QByteArray caption = title + kBreak;
    if (!artist.isEmpty())
        caption += artist + kBreak;
    caption += album;
    if (!year.isEmpty())
        caption += " (" + year + ")";
    if (hasTrack)
        caption += " - #" + QByteArray::number(track);
    caption += kBreak;
    // Without a track number the last two bytes belong to an ID3v1.0 comment.
    if (!hasTrack)
        comment += Field(tag, 125, 2);
    caption += comment;
    return QString::fromLocal8Bit(caption);
}

NowPlayingTags ReadNowPlayingTags(const QString& sourceUrl) {
    const QByteArray name = Trim(MediaNameWithoutExtension(sourceUrl.toLocal8Bit()));
    Id3v1Buffer tag{};
    if (!ReadId3v1Tag(sourceUrl, tag))
        return {QString::fromLocal8Bit(name), {}, {}};
    const QByteArray title = Field(tag, 3, 30);
    return {QString::fromLocal8Bit(title.isEmpty() ? name : title),
            QString::fromLocal8Bit(Field(tag, 33, 30)), QString::fromLocal8Bit(Field(tag, 63, 30))};
}
