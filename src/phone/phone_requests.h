#pragma once

#include "phone/phone_response.h"

#include <QHttpServerRequest>

#include <optional>

class PhonePairing;
class ServedOrigins;
class SetupRequests;
struct PhoneNowPlaying;

// The phone server's answers. Every request must name one of the served addresses with its port
// as its Host, or it is answered 421 Misdirected Request: a web page elsewhere that points a name
// of its own at this machine (DNS rebinding) gets nothing. Nothing changes on GET.
//   GET /, /remote.js, …             the page (PhonePageFile)
//   POST /pair                       {"token": …} or {"code": …}: 204 with the session cookie,
//                                    403 refused, 429 too many wrong tries, 413 too large
//   GET /session                     204 when the cookie names a paired phone, else 403
//   GET /cover                       the cover being shown (paired phones only), 404 when none
//   WebSocket /ws                    paired phones, from the page's own origin only
//   /setup/…                         the set-up (SetupRequests): paired phones, from no other
//                                    origin than the page's; 404 while none is offered
class PhoneRequests {
public:
    static constexpr qsizetype kMaxPairingBody = 1024;

    PhoneRequests(PhonePairing& pairing, const ServedOrigins& origins,
                  const PhoneNowPlaying& nowPlaying, SetupRequests& setup);

    void Respond(const QHttpServerRequest& request, QHttpServerResponder& responder);
    // Why a WebSocket upgrade may not go ahead, nothing when it may.
    std::optional<QHttpServerResponder::StatusCode>
    SocketRefusal(const QHttpServerRequest& request) const;

private:
    PhoneResponse Route(const QHttpServerRequest& request);
    PhoneResponse Pair(const QHttpServerRequest& request);
    PhoneResponse Cover(const QHttpServerRequest& request) const;
    PhoneResponse Setup(const QHttpServerRequest& request);
    // The Host it names when that is one served (and named once), else nothing.
    QByteArray ServedHost(const QHttpServerRequest& request) const;
    // Whether each Origin it names is one served; required: whether naming none is refused too.
    bool FromServedOrigin(const QHttpServerRequest& request, bool required) const;
    bool FromPairedPhone(const QHttpServerRequest& request) const;

    PhonePairing& pairing_;
    const ServedOrigins& origins_;
    const PhoneNowPlaying& nowPlaying_;
    SetupRequests& setup_;
};

// Whether Qt takes the request for a WebSocket upgrade, which goes to SocketRefusal, not Respond.
bool IsWebSocketUpgrade(const QHttpServerRequest& request);
