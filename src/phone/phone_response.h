#pragma once

#include <QByteArray>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QList>

#include <utility>

// One answer of the phone server.
struct PhoneResponse {
    QHttpServerResponder::StatusCode status = QHttpServerResponder::StatusCode::Ok;
    QByteArray contentType; // none for an empty body
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers; // beyond those every answer carries
};

// An answer that says everything in its status.
PhoneResponse StatusResponse(QHttpServerResponder::StatusCode status);
// The answer to a method the path does not take; allowed: those it does ("GET, POST").
PhoneResponse MethodNotAllowed(const QByteArray& allowed);
PhoneResponse JsonResponse(QHttpServerResponder::StatusCode status, const QJsonDocument& json);

// Writes the answer with the headers every answer carries: never framed (another site cannot lay
// the buttons under its own), never cached, its type taken as told, no referrer passed on, and a
// content policy that lets the page load and run only its own files. host: the served host the
// request named, whose WebSocket the page may open; empty when it named none.
void Answer(QHttpServerResponder& responder, const PhoneResponse& response, const QByteArray& host);
