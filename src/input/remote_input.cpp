#include "input/remote_input.h"

#include "input/device_reader.h"
#include "input/event_device.h"
#include "input/hid_descriptor.h"
#include "input/input_router.h"
#include "input/remote_report.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

namespace {
constexpr int kRescanDelayMs = 100;        // lets a burst of device-folder changes settle
constexpr qsizetype kMaxReportSize = 4096; // the largest report hidraw hands out
constexpr qsizetype kEventChunk = 64 * static_cast<qsizetype>(sizeof(input_event));

int OpenForReading(const QString& path) {
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

QByteArray DescriptorFromDevice(int fd) {
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0 || size > HID_MAX_DESCRIPTOR_SIZE)
        return {};
    hidraw_report_descriptor descriptor{};
    descriptor.size = static_cast<quint32>(size);
    if (::ioctl(fd, HIDIOCGRDESC, &descriptor) < 0)
        return {};
    return QByteArray(reinterpret_cast<const char*>(descriptor.value), size);
}

bool ReadKeyBits(int fd, KeyBits& keys) {
    constexpr int kBitsPerLong = static_cast<int>(sizeof(unsigned long)) * CHAR_BIT;
    unsigned long words[(KEY_CNT + kBitsPerLong - 1) / kBitsPerLong] = {};
    if (::ioctl(fd, EVIOCGBIT(EV_KEY, sizeof words), words) < 0)
        return false;
    for (int key = 0; key < KEY_CNT; ++key)
        keys[static_cast<size_t>(key)] = (words[key / kBitsPerLong] >> (key % kBitsPerLong)) & 1UL;
    return true;
}

QStringList DeviceNames(const QString& dir, const QString& pattern) {
    return QDir(dir).entryList({pattern}, QDir::System | QDir::Files, QDir::Name);
}

} // namespace

RemoteInputDevices::RemoteInputDevices(InputRouter& router, RemoteInputPaths paths, QObject* parent)
    : QObject(parent), router_(router), paths_(std::move(paths)) {
    rescanTimer_.setSingleShot(true);
    rescanTimer_.setInterval(kRescanDelayMs);
    connect(&rescanTimer_, &QTimer::timeout, this, [this] { Rescan(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { ScheduleRescan(); });
    Rescan();
}

RemoteInputDevices::~RemoteInputDevices() {
    for (auto& [path, device] : open_)
        delete device.reader;
    router_.SetEventDevicesRead(false);
}

QStringList RemoteInputDevices::OpenDevices() const {
    QStringList paths;
    for (const auto& [path, device] : open_)
        paths << path;
    return paths;
}

void RemoteInputDevices::ScheduleRescan() {
    rescanTimer_.start();
}

void RemoteInputDevices::Rescan() {
    Watch(paths_.devDir);
    Watch(paths_.inputDir); // may appear only with the first input device

    QStringList gone;
    for (const auto& [path, device] : open_) {
        struct stat node;
        if (::stat(QFile::encodeName(path).constData(), &node) != 0 ||
            node.st_dev != device.filesystem || node.st_ino != device.inode)
            gone << path;
    }
    for (const QString& path : gone) {
        delete open_[path].reader;
        open_.erase(path);
    }
    TellRouterAboutEventDevices();
    std::erase_if(rejected_, [](const auto& entry) {
        const QFileInfo node(entry.first);
        return !node.exists() || node.metadataChangeTime() != entry.second;
    });

    for (const QString& name : DeviceNames(paths_.devDir, QStringLiteral("hidraw*")))
        ExamineHidraw(name);
    for (const QString& name : DeviceNames(paths_.inputDir, QStringLiteral("event*")))
        ExamineEventDevice(name);
}

void RemoteInputDevices::Watch(const QString& dir) {
    if (!watcher_.directories().contains(dir) && QFileInfo(dir).isDir())
        watcher_.addPath(dir);
}

void RemoteInputDevices::ExamineHidraw(const QString& name) {
    const QString path = QDir(paths_.devDir).filePath(name);
    if (Examined(path))
        return;
    // The descriptor in sysfs is readable without access to the device itself.
    QFile sysfs(
        QDir(paths_.hidrawSysDir).filePath(name + QStringLiteral("/device/report_descriptor")));
    const bool fromSysfs = sysfs.open(QIODevice::ReadOnly);
    const QByteArray sysfsDescriptor = fromSysfs ? sysfs.readAll() : QByteArray();
    if (fromSysfs && !RemoteReportSelector(sysfsDescriptor).AdmitsAny()) {
        Reject(path);
        return;
    }
    const int fd = OpenForReading(path);
    if (fd < 0)
        return; // no permission yet, or gone again: tried at the next change
    const RemoteReportSelector selector(fromSysfs ? sysfsDescriptor : DescriptorFromDevice(fd));
    if (!selector.AdmitsAny()) {
        ::close(fd);
        Reject(path);
        return;
    }
    StartReading(path, fd, false, [this, selector](const QByteArray& report) {
        if (selector.Admits(report))
            DeliverReport(report);
    });
}

void RemoteInputDevices::ExamineEventDevice(const QString& name) {
    const QString path = QDir(paths_.inputDir).filePath(name);
    if (Examined(path))
        return;
    const int fd = OpenForReading(path);
    if (fd < 0)
        return;
    KeyBits keys;
    if (!ReadKeyBits(fd, keys) || !IsRemoteKeyDevice(keys)) {
        ::close(fd);
        Reject(path);
        return;
    }
    StartReading(path, fd, true,
                 [this](const QByteArray& events) { DeliverEventKeys(router_, events); });
}

bool RemoteInputDevices::Examined(const QString& path) const {
    return open_.contains(path) || rejected_.contains(path);
}

void RemoteInputDevices::Reject(const QString& path) {
    rejected_[path] = QFileInfo(path).metadataChangeTime();
}

void RemoteInputDevices::StartReading(const QString& path, int fd, bool eventDevice,
                                      DeviceReader::Deliver deliver) {
    struct stat node {};
    ::fstat(fd, &node);
    auto* reader = new DeviceReader(fd, eventDevice ? kEventChunk : kMaxReportSize,
                                    std::move(deliver), [this, path] { DropGone(path); });
    open_[path] = {reader, node.st_dev, node.st_ino, eventDevice};
    TellRouterAboutEventDevices();
}

void RemoteInputDevices::TellRouterAboutEventDevices() const {
    router_.SetEventDevicesRead(std::any_of(
        open_.begin(), open_.end(), [](const auto& entry) { return entry.second.eventDevice; }));
}

void RemoteInputDevices::DeliverReport(const QByteArray& report) {
    // A remote repeats the report of a held button and may not send the empty one that tells it
    // is let go: the router takes a repeat as the same press held, and silence as its release.
    const quint32 code = FetchRemoteReport(RawInputMessage::FromReport(report)).value_or(0);
    if (code == 0)
        router_.ReleaseAll(InputPath::HidRaw);
    else
        router_.PressOrHold(InputCommand::Report(code, report), InputPath::HidRaw);
}

void RemoteInputDevices::DropGone(const QString& path) {
    const auto it = open_.find(path);
    if (it == open_.end())
        return;
    router_.ReleaseAll(it->second.eventDevice ? InputPath::EventDevice : InputPath::HidRaw);
    // Runs from inside the reader's own read, which has stopped reading for good.
    it->second.reader->deleteLater();
    open_.erase(it);
    TellRouterAboutEventDevices();
}
