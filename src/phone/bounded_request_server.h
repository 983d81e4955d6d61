#pragma once

#include <QTcpServer>

// A listening socket whose connections are cut when a request grows past kMaxRequestBytes before
// it is whole. Qt's HTTP server keeps each request in memory until its last byte, so without a
// bound one endless request would take all of it. The largest the page sends is the set-up's
// settings (SetupRequests::kMaxBody), with room for its headers.
class BoundedRequestServer final : public QTcpServer {
public:
    static constexpr qint64 kMaxRequestBytes = 80 * 1024;

    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override;
};
