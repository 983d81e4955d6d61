#include "app/phone_remote.h"

#include "app/phone_form.h"
#include "input/input_router.h"
#include "phone/served_addresses.h"
#include "platform/error.h"
#include "platform/media_session.h"
#include "settings/general.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {
constexpr std::chrono::seconds kPositionRefresh{5};

PhoneNowPlaying NowPlayingOf(const MediaSessionState& state) {
    PhoneNowPlaying now;
    now.playing = state.status != MediaSessionState::Status::Stopped;
    if (!now.playing)
        return now;
    now.title = state.title;
    now.artist = state.artists.join(QStringLiteral(", "));
    const QUrl url(state.url);
    now.folder = state.album.isEmpty() && url.isLocalFile()
                     ? QFileInfo(url.toLocalFile()).dir().dirName()
                     : state.album;
    now.positionMs = state.positionUs / 1000;
    now.lengthMs = state.lengthUs / 1000;
    now.paused = state.status == MediaSessionState::Status::Paused;
    return now;
}
} // namespace

PhoneRemote::PhoneRemote(Clock& clock, SettingsStore& store, InputRouter& input,
                         MediaSessions& sessions, quint16 port)
    : clock_(clock), store_(store), sessions_(sessions), port_(port), pairing_(clock, store),
      server_(pairing_, clock) {
    connect(&server_, &PhoneServer::Pressed, this,
            [&input](const InputCommand& command) { input.Press(command, InputPath::Phone); });
    connect(&server_, &PhoneServer::Held, this,
            [&input](const InputCommand& command) { input.Hold(command, InputPath::Phone); });
    connect(&server_, &PhoneServer::Released, this,
            [&input](const InputCommand& command) { input.Release(command, InputPath::Phone); });
    sessions_.AddListener(this, [this] { TellPhonesWhatPlays(); });
}

PhoneRemote::~PhoneRemote() {
    sessions_.RemoveListener(this);
}

void PhoneRemote::Start() {
    bool on = setting::PhoneRemote.defaultValue;
    try {
        on = ReadSetting(store_, setting::PhoneRemote);
    } catch (const AppError&) {
        // The menu has told the owner of a store that cannot say; the remote stays as it comes.
    }
    if (!on) {
        server_.Close();
        return;
    }
    server_.Listen(LanAddresses(), port_);
    TellPhonesWhatPlays();
}

std::unique_ptr<Form> PhoneRemote::MakeScreen() {
    return std::make_unique<TPhone_Form>(pairing_, server_, clock_);
}

void PhoneRemote::TellPhonesWhatPlays() {
    MediaSession* session = sessions_.Top();
    const PhoneNowPlaying now = session ? NowPlayingOf(session->State()) : PhoneNowPlaying{};
    server_.SetNowPlaying(now);
    delete positionRefresh_;
    positionRefresh_ = nullptr;
    if (now.playing && !now.paused && Serving()) {
        positionRefresh_ = new QObject(this);
        clock_.CallAfter(kPositionRefresh, positionRefresh_, [this] { TellPhonesWhatPlays(); });
    }
}
