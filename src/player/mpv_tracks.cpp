#include "player/mpv_tracks.h"

#include "platform/error.h"
#include "player/mpv_library.h"
#include "player/mpv_names.h"
#include "player/track_choice.h"

#include <QByteArray>
#include <QCoreApplication>

#include <optional>

namespace {
QString Text(mpv_handle* handle, const QByteArray& name) {
    char* text = nullptr;
    if (Mpv().get_property(handle, name.constData(), MPV_FORMAT_STRING, &text) < 0)
        return {};
    const QString result = QString::fromUtf8(text);
    Mpv().free(text);
    return result;
}

// A property as the bytes mpv holds: file names need not be text.
QByteArray Bytes(mpv_handle* handle, const QByteArray& name) {
    char* text = nullptr;
    if (Mpv().get_property(handle, name.constData(), MPV_FORMAT_STRING, &text) < 0)
        return {};
    const QByteArray result(text);
    Mpv().free(text);
    return result;
}

qint64 Number(mpv_handle* handle, const QByteArray& name) {
    int64_t value = 0;
    return Mpv().get_property(handle, name.constData(), MPV_FORMAT_INT64, &value) < 0 ? 0 : value;
}

bool Flag(mpv_handle* handle, const QByteArray& name) {
    int value = 0;
    return Mpv().get_property(handle, name.constData(), MPV_FORMAT_FLAG, &value) >= 0 && value;
}

const char* TypeOf(TrackKind kind) {
    return kind == TrackKind::Subtitles ? mpvname::TrackTypeSub : mpvname::TrackTypeAudio;
}

// Every track of the kind, with whether it is selected.
std::vector<std::pair<TrackFacts, bool>> ListTracks(mpv_handle* handle, TrackKind kind,
                                                    const std::vector<SidecarSubtitle>& added) {
    std::vector<std::pair<TrackFacts, bool>> result;
    const qint64 all = Number(handle, mpvname::TrackListCount);
    for (qint64 i = 0; i < all; ++i) {
        const QByteArray entry = mpvname::TrackListEntry + QByteArray::number(i) + '/';
        if (Text(handle, entry + mpvname::TrackType) != QLatin1String(TypeOf(kind)))
            continue;
        TrackFacts facts;
        facts.id = Number(handle, entry + mpvname::TrackId);
        facts.language = Text(handle, entry + mpvname::TrackLanguage);
        facts.title = Text(handle, entry + mpvname::TrackTitle);
        facts.forced = Flag(handle, entry + mpvname::TrackForced);
        facts.hearingImpaired = HearingImpairedTitle(facts.title);
        facts.external = Flag(handle, entry + mpvname::TrackExternal);
        if (facts.external) {
            const QByteArray file = Bytes(handle, entry + mpvname::TrackExternalFile);
            for (const SidecarSubtitle& sidecar : added)
                if (sidecar.path == file) {
                    facts.forced = sidecar.forced;
                    facts.hearingImpaired = sidecar.hearingImpaired;
                }
        }
        result.emplace_back(std::move(facts), Flag(handle, entry + mpvname::TrackSelected));
    }
    return result;
}

struct TrackCount {
    int count = 0;
    std::optional<TrackDescription> selected;
};

// How the viewer tells the choice apart: the selected track among how many of its kind.
TrackCount Tracks(mpv_handle* handle, TrackKind kind) {
    TrackCount result;
    for (const auto& [facts, selected] : ListTracks(handle, kind, {})) {
        ++result.count;
        if (selected)
            result.selected = TrackDescription{facts.language, facts.title, result.count};
    }
    return result;
}

void Cycle(mpv_handle* handle, const char* type) {
    const char* command[] = {mpvname::Cycle, type, nullptr};
    if (const int error = Mpv().command(handle, command); error < 0)
        throw AppError(QCoreApplication::translate(
                           "Player", "The media player cannot choose another track: %1")
                           .arg(MpvErrorText(error)));
}
} // namespace

MediaMetadata ReadMpvMetadata(mpv_handle* handle) {
    MediaMetadata metadata;
    mpv_node node;
    if (Mpv().get_property(handle, mpvname::Metadata, MPV_FORMAT_NODE, &node) < 0)
        return metadata;
    if (node.format == MPV_FORMAT_NODE_MAP)
        for (int i = 0; i < node.u.list->num; ++i)
            if (node.u.list->values[i].format == MPV_FORMAT_STRING)
                metadata.insert(QString::fromUtf8(node.u.list->keys[i]).toLower(),
                                QString::fromUtf8(node.u.list->values[i].u.string));
    Mpv().free_node_contents(&node);
    return metadata;
}

QImage ReadMpvAttachedPicture(mpv_handle* handle) {
    if (!Flag(handle, mpvname::CurrentVideoIsAlbumArt))
        return {};
    const char* command[] = {mpvname::ScreenshotRaw, mpvname::ScreenshotVideo, nullptr};
    mpv_node result;
    if (Mpv().command_ret(handle, command, &result) < 0)
        return {};
    QImage picture;
    if (result.format == MPV_FORMAT_NODE_MAP) {
        qint64 width = 0, height = 0, stride = 0;
        QByteArray format;
        const mpv_byte_array* data = nullptr;
        for (int i = 0; i < result.u.list->num; ++i) {
            const QByteArray key = result.u.list->keys[i];
            const mpv_node& value = result.u.list->values[i];
            if (value.format == MPV_FORMAT_INT64) {
                if (key == "w")
                    width = value.u.int64;
                else if (key == "h")
                    height = value.u.int64;
                else if (key == "stride")
                    stride = value.u.int64;
            } else if (key == "format" && value.format == MPV_FORMAT_STRING)
                format = value.u.string;
            else if (key == "data" && value.format == MPV_FORMAT_BYTE_ARRAY)
                data = value.u.ba;
        }
        // "bgr0" is 32-bit RGB in memory order B, G, R, padding: QImage's RGB32 on little-endian.
        if (format == "bgr0" && data && width > 0 && height > 0 && stride >= width * 4 &&
            static_cast<qint64>(data->size) >= stride * height)
            picture =
                QImage(static_cast<const uchar*>(data->data), static_cast<int>(width),
                       static_cast<int>(height), static_cast<int>(stride), QImage::Format_RGB32)
                    .copy();
    }
    Mpv().free_node_contents(&result);
    return picture;
}

QString CycleMpvTrack(mpv_handle* handle, TrackKind kind) {
    Cycle(handle, TypeOf(kind));
    TrackCount tracks = Tracks(handle, kind);
    // mpv's cycle passes through "no track"; silence is no choice of audio track.
    if (kind == TrackKind::Audio && tracks.count > 0 && !tracks.selected) {
        Cycle(handle, TypeOf(kind));
        tracks = Tracks(handle, kind);
    }
    return TrackChoiceText(kind, tracks.selected, tracks.count);
}

std::vector<TrackFacts> ReadMpvTracks(mpv_handle* handle, TrackKind kind,
                                      const std::vector<SidecarSubtitle>& added) {
    std::vector<TrackFacts> tracks;
    for (auto& [facts, selected] : ListTracks(handle, kind, added))
        tracks.push_back(std::move(facts));
    return tracks;
}

std::optional<TrackFacts> ReadMpvSelectedTrack(mpv_handle* handle, TrackKind kind,
                                               const std::vector<SidecarSubtitle>& added) {
    for (auto& [facts, selected] : ListTracks(handle, kind, added))
        if (selected)
            return std::move(facts);
    return std::nullopt;
}

void SelectMpvTrack(mpv_handle* handle, TrackKind kind, std::optional<qint64> id) {
    const QByteArray value = id ? QByteArray::number(*id) : QByteArray(mpvname::No);
    const char* property =
        kind == TrackKind::Subtitles ? mpvname::SubtitleTrack : mpvname::AudioTrack;
    const char* text = value.constData();
    if (const int error = Mpv().set_property(handle, property, MPV_FORMAT_STRING, &text); error < 0)
        throw AppError(QCoreApplication::translate(
                           "Player", "The media player cannot choose another track: %1")
                           .arg(MpvErrorText(error)));
}

bool AddMpvSubtitleFile(mpv_handle* handle, const SidecarSubtitle& file) {
    const QByteArray title = file.title.toUtf8();
    const QByteArray language = file.language.toUtf8();
    // mpv takes the path as the bytes it is given, text or not.
    const char* command[] = {mpvname::SubAdd,   file.path.constData(), mpvname::SubAddUnselected,
                             title.constData(), language.constData(),  nullptr};
    return Mpv().command(handle, command) >= 0;
}
