#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <map>

class DeviceReader;

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
    explicit RemoteInputDevices(RemoteInputPaths paths = {});
    ~RemoteInputDevices() override;

    // The device nodes being read.
    QStringList OpenDevices() const;
    // Looks at the device folders now.
    void Rescan();

private:
    void ScheduleRescan();
    void ExamineHidraw(const QString& name);
    void ExamineEventDevice(const QString& name);
    void StartReading(const QString& path, int fd, bool eventDevice);
    void DropGone(const QString& path);
    void Watch(const QString& dir);

    RemoteInputPaths paths_;
    QFileSystemWatcher watcher_;
    QTimer rescanTimer_;
    std::map<QString, DeviceReader*> open_;
    QSet<QString> rejected_; // not remotes; examined again only if the node is made anew
};

// Starts reading the remote controls, once per run (the main menu's FormCreate).
void RegisterRemoteInput();
// Stops reading them and closes their devices (the main menu's FormDestroy).
void ReleaseRemoteInput();
