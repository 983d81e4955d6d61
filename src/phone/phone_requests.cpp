#include "phone/phone_requests.h"

#include "phone/phone_now_playing.h"
#include "phone/phone_page.h"
#include "phone/phone_pairing.h"
#include "phone/served_addresses.h"
#include "phone/session_cookie.h"
#include "phone/setup_requests.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeDatabase>

#include <algorithm>

namespace {
using Status = QHttpServerResponder::StatusCode;
using Method = QHttpServerRequest::Method;

QList<QByteArray> HeaderValues(const QHttpServerRequest& request, const QByteArray& name) {
    QList<QByteArray> values;
    for (const auto& [key, value] : request.headers()) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            values.append(value);
    }
    return values;
}

QByteArray SessionOf(const QHttpServerRequest& request) {
    return SessionFromCookies(request.value("cookie"));
}
} // namespace

bool IsWebSocketUpgrade(const QHttpServerRequest& request) {
    return request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0 &&
           request.value("connection").toLower().contains("upgrade");
}

PhoneRequests::PhoneRequests(PhonePairing& pairing, const ServedOrigins& origins,
                             const PhoneNowPlaying& nowPlaying, SetupRequests& setup)
    : pairing_(pairing), origins_(origins), nowPlaying_(nowPlaying), setup_(setup) {}

void PhoneRequests::Respond(const QHttpServerRequest& request, QHttpServerResponder& responder) {
    const QByteArray host = ServedHost(request);
    Answer(responder, host.isEmpty() ? StatusResponse(Status::MisdirectedRequest) : Route(request),
           host);
}

std::optional<QHttpServerResponder::StatusCode>
PhoneRequests::SocketRefusal(const QHttpServerRequest& request) const {
    if (ServedHost(request).isEmpty())
        return Status::MisdirectedRequest;
    if (request.url().path() != u"/ws")
        return Status::NotFound;
    if (!FromServedOrigin(request, true) || !FromPairedPhone(request))
        return Status::Forbidden;
    return std::nullopt;
}

PhoneResponse PhoneRequests::Route(const QHttpServerRequest& request) {
    const QString path = request.url().path();
    const bool get = request.method() == Method::Get;
    if (path == u"/pair")
        return request.method() == Method::Post ? Pair(request) : MethodNotAllowed("POST");
    if (path == u"/session") {
        if (!get)
            return MethodNotAllowed("GET");
        return StatusResponse(FromPairedPhone(request) ? Status::NoContent : Status::Forbidden);
    }
    if (path == u"/cover")
        return get ? Cover(request) : MethodNotAllowed("GET");
    if (path.startsWith(u"/setup/"))
        return Setup(request);
    if (auto file = PhonePageFile(path))
        return get ? *std::move(file) : MethodNotAllowed("GET");
    return StatusResponse(Status::NotFound);
}

PhoneResponse PhoneRequests::Pair(const QHttpServerRequest& request) {
    if (request.body().size() > kMaxPairingBody)
        return StatusResponse(Status::PayloadTooLarge);
    // A browser names the page a request comes from: one of another site's pages may not pair.
    if (!FromServedOrigin(request, false))
        return StatusResponse(Status::Forbidden);
    const QJsonObject body = QJsonDocument::fromJson(request.body()).object();
    const PairingProof proof =
        body.contains(u"token")
            ? PairingProof{PairingProof::Kind::Token, body.value(u"token").toString()}
            : PairingProof{PairingProof::Kind::Code, body.value(u"code").toString()};
    const PairingResult result = pairing_.Redeem(proof, request.remoteAddress());
    switch (result.outcome) {
    case PairingResult::Outcome::Paired:
        return {Status::NoContent, {}, {}, {{"Set-Cookie", SessionCookie(result.sessionSecret)}}};
    case PairingResult::Outcome::TurnedAway:
        return StatusResponse(Status::TooManyRequests);
    case PairingResult::Outcome::Refused:
        break;
    }
    return StatusResponse(Status::Forbidden);
}

PhoneResponse PhoneRequests::Cover(const QHttpServerRequest& request) const {
    if (!FromPairedPhone(request))
        return StatusResponse(Status::Forbidden);
    if (!nowPlaying_.playing || nowPlaying_.cover.isEmpty())
        return StatusResponse(Status::NotFound);
    const QString type = QMimeDatabase().mimeTypeForData(nowPlaying_.cover).name();
    return {Status::Ok,
            type.startsWith(u"image/") ? type.toLatin1() : "application/octet-stream",
            nowPlaying_.cover,
            {}};
}

PhoneResponse PhoneRequests::Setup(const QHttpServerRequest& request) {
    if (!setup_.Offered())
        return StatusResponse(Status::NotFound);
    // The settings are the owner's: another site's page gets nothing, with or without a cookie.
    if (!FromPairedPhone(request) || !FromServedOrigin(request, false))
        return StatusResponse(Status::Forbidden);
    return setup_.Respond(request, SessionOf(request));
}

QByteArray PhoneRequests::ServedHost(const QHttpServerRequest& request) const {
    const QList<QByteArray> hosts = HeaderValues(request, "host");
    return hosts.size() == 1 && origins_.HasHost(hosts.front()) ? hosts.front().toLower()
                                                                : QByteArray();
}

bool PhoneRequests::FromServedOrigin(const QHttpServerRequest& request, bool required) const {
    const QList<QByteArray> origins = HeaderValues(request, "origin");
    if (origins.isEmpty())
        return !required;
    return std::all_of(origins.begin(), origins.end(),
                       [this](const QByteArray& origin) { return origins_.HasOrigin(origin); });
}

bool PhoneRequests::FromPairedPhone(const QHttpServerRequest& request) const {
    return pairing_.IsSession(SessionOf(request));
}
