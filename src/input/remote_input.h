#pragma once

#include "input/device_reader.h"
#include "input/input_router.h"

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <map>

#include <sys/types.h>

// Where the remote's devices are found.
struct RemoteInputPaths {
    QString devDir = QStringLiteral("/dev");                    // hidraw* nodes
    QString hidrawSysDir = QStringLiteral("/sys/class/hidraw"); // their report descriptors
    QString inputDir = QStringLiteral("/dev/input");            // event* nodes
};

// Reads every remote control attached: the hidraw devices with a remote-control collection (their
// reports go to the topmost screen's WmInput) and the remotes' own event devices (the keys the
// display server cannot deliver). Devices that appear later are picked up, devices that go away
// are dropped. A device that cannot be opened (none there, no permission) is silently left out
// and tried again when the device folders change (udev grants access just after a node appears).
class RemoteInputDevices : public QObject {
public:
    explicit RemoteInputDevices(InputRouter& router, RemoteInputPaths paths = {},
                                QObject* parent = nullptr);
    ~RemoteInputDevices() override;

    // The device nodes being read.
    QStringList OpenDevices() const;
    // Looks at the device folders now.
    void Rescan();

private:
    void ScheduleRescan();
    void ExamineHidraw(const QString& name);
    void ExamineEventDevice(const QString& name);
    void StartReading(const QString& path, int fd, bool eventDevice, DeviceReader::Deliver deliver);
    void TellRouterAboutEventDevices() const;
    void DeliverReport(const QByteArray& report);
    void DropGone(const QString& path);
    void Reject(const QString& path);
    bool Examined(const QString& path) const;
    void Watch(const QString& dir);

    InputRouter& router_;
    RemoteInputPaths paths_;
    QFileSystemWatcher watcher_;
    QTimer rescanTimer_;
    struct OpenDevice {
        DeviceReader* reader;
        // The node read, told apart from a later one made under the same name.
        dev_t filesystem;
        ino_t inode;
        bool eventDevice;
    };
    std::map<QString, OpenDevice> open_;
    // Nodes that are no remote, with their change time: examined again only when made anew.
    std::map<QString, QDateTime> rejected_;
};
