#include "phone/phone_response.h"

PhoneResponse StatusResponse(QHttpServerResponder::StatusCode status) {
    return {status, {}, {}, {}};
}

PhoneResponse MethodNotAllowed(const QByteArray& allowed) {
    return {QHttpServerResponder::StatusCode::MethodNotAllowed, {}, {}, {{"Allow", allowed}}};
}

PhoneResponse JsonResponse(QHttpServerResponder::StatusCode status, const QJsonDocument& json) {
    return {status, "application/json", json.toJson(QJsonDocument::Compact), {}};
}

void Answer(QHttpServerResponder& responder, const PhoneResponse& response,
            const QByteArray& host) {
    // 'self' covers ws: of the same host only in newer browsers; the socket is named as well.
    const QByteArray connect = host.isEmpty() ? QByteArray() : " ws://" + host;
    responder.writeStatusLine(response.status);
    responder.writeHeader("Content-Security-Policy",
                          "default-src 'self'; connect-src 'self'" + connect +
                              "; img-src 'self'; base-uri 'none'; form-action 'none'; "
                              "frame-ancestors 'none'");
    responder.writeHeader("X-Frame-Options", "DENY");
    responder.writeHeader("Cache-Control", "no-store");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Referrer-Policy", "no-referrer");
    for (const auto& [name, value] : response.headers)
        responder.writeHeader(name, value);
    if (!response.contentType.isEmpty())
        responder.writeHeader("Content-Type", response.contentType);
    responder.writeHeader("Content-Length", QByteArray::number(response.body.size()));
    responder.writeBody(response.body);
}
