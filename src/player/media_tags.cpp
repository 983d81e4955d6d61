#include "player/media_tags.h"

#include <initializer_list>

namespace {
// The first of the names the containers use for one field.
QByteArray Tag(const MediaMetadata& metadata, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const auto found = metadata.constFind(QLatin1String(name));
        if (found != metadata.constEnd())
            if (QByteArray text = TrimCaptionText(found->toUtf8()); !text.isEmpty())
                return text;
    }
    return {};
}

bool StartsWithYear(const QByteArray& date) {
    if (date.size() < 4)
        return false;
    for (int i = 0; i < 4; ++i)
        if (date[i] < '0' || date[i] > '9')
            return false;
    return true;
}

// The leading decimal number of "4", "04/12" or "4 of 12"; 0 when there is none or it is huge.
int LeadingNumber(const QByteArray& text) {
    int number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        number = number * 10 + (c - '0');
        if (number > 99999)
            return 0;
    }
    return number;
}
} // namespace

QByteArray TrimCaptionText(QByteArray text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

std::optional<CaptionFields> CaptionFieldsFromMetadata(const MediaMetadata& metadata) {
    CaptionFields fields;
    fields.title = Tag(metadata, {"title"});
    fields.artist = Tag(metadata, {"artist", "album_artist", "performer"});
    fields.album = Tag(metadata, {"album"});
    const QByteArray date = Tag(metadata, {"date", "year", "originaldate"});
    fields.year = StartsWithYear(date) ? date.left(4) : date;
    const QByteArray track = Tag(metadata, {"track", "tracknumber"});
    fields.track = LeadingNumber(track);
    fields.comment = Tag(metadata, {"comment", "description"});
    if (fields.title.isEmpty() && fields.artist.isEmpty() && fields.album.isEmpty() &&
        fields.year.isEmpty() && track.isEmpty() && fields.comment.isEmpty())
        return std::nullopt;
    return fields;
}
