#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

#include <functional>

// Reads an input device on the user-interface thread: each time the descriptor is readable, one
// read of up to chunkSize bytes (a hidraw device gives one report per read, an event device whole
// events). Any readable descriptor will do, so a pipe can stand in for a device.
//
// Each chunk is handed to `deliver` from the event loop, never from inside the read: a screen that
// opens another one modally from its input handler runs the nested loop outside this object, which
// may therefore be deleted while that screen runs. `deliver` must not refer to the reader.
// End of file or a read error means the device is gone: reading stops and `gone` runs once.
class DeviceReader : public QObject {
public:
    using Deliver = std::function<void(const QByteArray& chunk)>;

    // Takes ownership of fd and closes it when destroyed.
    DeviceReader(int fd, qsizetype chunkSize, Deliver deliver, std::function<void()> gone,
                 QObject* parent = nullptr);
    ~DeviceReader() override;

    DeviceReader(const DeviceReader&) = delete;
    DeviceReader& operator=(const DeviceReader&) = delete;

private:
    void ReadReady();

    int fd_;
    qsizetype chunkSize_;
    Deliver deliver_;
    std::function<void()> gone_;
    QSocketNotifier notifier_;
};
