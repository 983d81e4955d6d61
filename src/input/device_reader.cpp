#include "input/device_reader.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cerrno>
#include <unistd.h>

DeviceReader::DeviceReader(int fd, qsizetype chunkSize, Deliver deliver, std::function<void()> gone,
                           QObject* parent)
    : QObject(parent), fd_(fd), chunkSize_(chunkSize), deliver_(std::move(deliver)),
      gone_(std::move(gone)), notifier_(fd, QSocketNotifier::Read) {
    QObject::connect(&notifier_, &QSocketNotifier::activated, this, [this] { ReadReady(); });
}

DeviceReader::~DeviceReader() {
    notifier_.setEnabled(false);
    ::close(fd_);
}

void DeviceReader::ReadReady() {
    QByteArray chunk(chunkSize_, Qt::Uninitialized);
    const ssize_t got = ::read(fd_, chunk.data(), static_cast<size_t>(chunk.size()));
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    if (got <= 0) {
        notifier_.setEnabled(false);
        if (gone_)
            gone_();
        return;
    }
    chunk.truncate(got);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [deliver = deliver_, chunk] { deliver(chunk); },
        Qt::QueuedConnection);
}
