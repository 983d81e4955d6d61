#include "app/phone_remote.h"

#include "app/phone_form.h"
#include "input/input_router.h"
#include "phone/qr_code.h"
#include "platform/error.h"
#include "platform/media_session.h"
#include "settings/general.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {
constexpr std::chrono::seconds kPositionRefresh{5};

// Large enough for a phone's screen, small enough to send at once.
constexpr int kCoverSide = 600;

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

QByteArray CoverBytes(const QImage& art) {
    if (art.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QImage cover =
        art.width() > kCoverSide || art.height() > kCoverSide
            ? art.scaled(kCoverSide, kCoverSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : art;
    cover.save(&buffer, "JPEG", 85);
    return bytes;
}
} // namespace

PhoneRemote::PhoneRemote(Clock& clock, SettingsStore& store, InputRouter& input,
                         MediaSessions& sessions, quint16 port, AddressSource addresses)
    : clock_(clock), store_(store), sessions_(sessions), port_(port),
      addresses_(std::move(addresses)), pairing_(clock, store), setup_(store),
      server_(pairing_, clock) {
    connect(&server_, &PhoneServer::Pressed, this,
            [&input](const InputCommand& command) { input.Press(command, InputPath::Phone); });
    connect(&server_, &PhoneServer::Held, this,
            [&input](const InputCommand& command) { input.Hold(command, InputPath::Phone); });
    connect(&server_, &PhoneServer::Released, this,
            [&input](const InputCommand& command) { input.Release(command, InputPath::Phone); });
    sessions_.AddListener(this, [this] { TellPhonesWhatPlays(); });
    server_.SetSetup(&setup_);
}

PhoneRemote::~PhoneRemote() {
    sessions_.RemoveListener(this);
}

PhoneInvitationView InvitationOf(PhonePairing& pairing, const PhoneServer& server,
                                 const Clock& clock) {
    const PhoneInvitation invitation = pairing.Invite();
    PhoneInvitationView view;
    view.code = invitation.code;
    view.life =
        std::chrono::duration_cast<std::chrono::milliseconds>(invitation.expires - clock.Now());
    const QList<QHostAddress> served = server.ServedAddresses();
    if (!served.isEmpty()) {
        const QUrl url = server.PairingUrl(served.first(), invitation.token);
        // The address without the token, to type into a phone's browser.
        view.address = url.adjusted(QUrl::RemoveFragment).toString();
        view.qr = QrCodeImage(url.toString(QUrl::FullyEncoded).toUtf8());
    }
    return view;
}

bool PhoneRemote::On() const {
    try {
        return ReadSetting(store_, setting::PhoneRemote);
    } catch (const AppError&) {
        // The menu has told the owner of a store that cannot say; the remote stays as it comes.
        return setting::PhoneRemote.defaultValue;
    }
}

void PhoneRemote::Start() {
    if (!On()) {
        server_.Close();
        return;
    }
    // Phones paired meanwhile (during the first run's settings) stay connected.
    const QList<QHostAddress> addresses = addresses_();
    if (server_.ServedAddresses() != addresses)
        server_.Listen(addresses, port_);
    TellPhonesWhatPlays();
}

std::unique_ptr<Form> PhoneRemote::MakeScreen() {
    return std::make_unique<TPhone_Form>(
        pairing_, [this] { return InvitationOf(pairing_, server_, clock_); }, clock_);
}

std::unique_ptr<ConfigurationDialog>
PhoneRemote::MakeConfigurationDialog(const ConfigurationDialogFactory& makeDialog) {
    std::unique_ptr<ConfigurationDialog> dialog = makeDialog();
    if (dialog && On()) {
        Start();
        dialog->ShowPhoneInvitations([this] { return InvitationOf(pairing_, server_, clock_); });
    }
    return dialog;
}

void PhoneRemote::TellPhonesWhatPlays() {
    MediaSession* session = sessions_.Top();
    const MediaSessionState state = session ? session->State() : MediaSessionState{};
    PhoneNowPlaying now = NowPlayingOf(state);
    if (now.playing) {
        // Encoded once per picture: the state is told again at every pause and position.
        if (state.art.cacheKey() != coverKey_) {
            coverKey_ = state.art.cacheKey();
            cover_ = CoverBytes(state.art);
        }
        now.cover = cover_;
    }
    server_.SetNowPlaying(now);
    delete positionRefresh_;
    positionRefresh_ = nullptr;
    if (now.playing && !now.paused && Serving()) {
        positionRefresh_ = new QObject(this);
        clock_.CallAfter(kPositionRefresh, positionRefresh_, [this] { TellPhonesWhatPlays(); });
    }
}
