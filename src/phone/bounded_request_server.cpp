#include "phone/bounded_request_server.h"

#include <QTcpSocket>

#include <memory>

void BoundedRequestServer::incomingConnection(qintptr descriptor) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    // Connected before the HTTP server's reader, so it sees every piece first. The server keeps
    // a read transaction open on the socket while a request is unfinished: each piece read within
    // it adds to the request; a piece outside one begins the next request. A WebSocket upgrade
    // disconnects every reader, this one too: the socket's frames have limits of their own.
    auto received = std::make_shared<qint64>(0);
    connect(socket, &QTcpSocket::readyRead, socket, [socket, received] {
        if (!socket->isTransactionStarted())
            *received = 0;
        *received += socket->bytesAvailable();
        if (*received > kMaxRequestBytes)
            QMetaObject::invokeMethod(socket, &QAbstractSocket::abort, Qt::QueuedConnection);
    });
    addPendingConnection(socket);
}
