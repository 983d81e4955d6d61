#include "phone/setup_requests.h"

#include "phone/phone_setup.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QUrlQuery>

namespace {
using Status = QHttpServerResponder::StatusCode;
using Method = QHttpServerRequest::Method;
} // namespace

PhoneResponse SetupRequests::Respond(const QHttpServerRequest& request, const QByteArray& session) {
    if (request.body().size() > kMaxBody)
        return StatusResponse(Status::PayloadTooLarge);
    const QString path = request.url().path();
    const Method method = request.method();
    if (path == u"/setup/unlock")
        return method == Method::Post ? Unlock(request, session) : MethodNotAllowed("POST");
    if (path == u"/setup/settings") {
        if (method != Method::Get && method != Method::Post)
            return MethodNotAllowed("GET, POST");
        if (!unlocks_.IsUnlocked(session))
            return StatusResponse(Status::Forbidden);
        return method == Method::Get ? JsonResponse(Status::Ok, QJsonDocument(setup_->Settings()))
                                     : Save(request);
    }
    if (path == u"/setup/folders") {
        if (method != Method::Get)
            return MethodNotAllowed("GET");
        return unlocks_.IsUnlocked(session) ? Folders(request) : StatusResponse(Status::Forbidden);
    }
    return StatusResponse(Status::NotFound);
}

PhoneResponse SetupRequests::Unlock(const QHttpServerRequest& request, const QByteArray& session) {
    const QHostAddress peer = request.remoteAddress();
    if (throttle_.TurnsAway(peer))
        return StatusResponse(Status::TooManyRequests);
    const QJsonObject body = QJsonDocument::fromJson(request.body()).object();
    if (!setup_->Unlocks(body.value(u"exitCode").toString())) {
        throttle_.CountWrongTry(peer);
        return StatusResponse(Status::Forbidden);
    }
    unlocks_.Unlock(session);
    return StatusResponse(Status::NoContent);
}

PhoneResponse SetupRequests::Save(const QHttpServerRequest& request) {
    const QJsonDocument settings = QJsonDocument::fromJson(request.body());
    if (!settings.isObject())
        return StatusResponse(Status::BadRequest);
    if (const auto refusal = setup_->Save(settings.object()))
        return JsonResponse(Status::UnprocessableEntity,
                            QJsonDocument(QJsonObject{{QStringLiteral("message"), *refusal}}));
    return StatusResponse(Status::NoContent);
}

PhoneResponse SetupRequests::Folders(const QHttpServerRequest& request) {
    const QString path =
        QUrlQuery(request.url()).queryItemValue(QStringLiteral("path"), QUrl::FullyDecoded);
    return JsonResponse(Status::Ok, QJsonDocument(setup_->Folders(path)));
}
