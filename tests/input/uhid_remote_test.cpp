#include "input/input_router.h"
#include "input/remote_input.h"
#include "recording_forms.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/uhid.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
constexpr char kName[] = "Couchframe test remote";

// The remote's vendor collection with one 4-byte input report.
constexpr quint8 kDescriptor[] = {0x06, 0xBC, 0xFF, 0x09, 0x88, 0xA1, 0x01, 0x15, 0x00, 0x26,
                                  0xFF, 0x00, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0xC0};

// A virtual HID device made through /dev/uhid, destroyed with this object.
class VirtualRemote {
public:
    bool Create() {
        fd_ = ::open("/dev/uhid", O_RDWR | O_CLOEXEC);
        if (fd_ < 0)
            return false;
        uhid_event event{};
        event.type = UHID_CREATE2;
        std::strncpy(reinterpret_cast<char*>(event.u.create2.name), kName,
                     sizeof event.u.create2.name - 1);
        event.u.create2.rd_size = sizeof kDescriptor;
        event.u.create2.bus = 0x03; // USB
        event.u.create2.vendor = 0x045E;
        event.u.create2.product = 0xFFFE;
        std::memcpy(event.u.create2.rd_data, kDescriptor, sizeof kDescriptor);
        return ::write(fd_, &event, sizeof event) == ssize_t(sizeof event);
    }
    bool Send(const QByteArray& report) {
        uhid_event event{};
        event.type = UHID_INPUT2;
        event.u.input2.size = quint16(report.size());
        std::memcpy(event.u.input2.data, report.constData(), size_t(report.size()));
        return ::write(fd_, &event, sizeof event) == ssize_t(sizeof event);
    }
    ~VirtualRemote() {
        if (fd_ < 0)
            return;
        uhid_event event{};
        event.type = UHID_DESTROY;
        [[maybe_unused]] const auto written = ::write(fd_, &event, sizeof event);
        ::close(fd_);
    }

private:
    int fd_ = -1;
};

// The hidraw node the kernel made for the virtual remote, empty until it exists.
QString VirtualRemoteNode() {
    const QDir sysfs(QStringLiteral("/sys/class/hidraw"));
    for (const QString& name : sysfs.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile uevent(sysfs.filePath(name + QStringLiteral("/device/uevent")));
        if (uevent.open(QIODevice::ReadOnly) &&
            uevent.readAll().contains(QByteArray("HID_NAME=") + kName))
            return QStringLiteral("/dev/") + name;
    }
    return {};
}

TEST(UhidRemote, AReportOfAVirtualRemoteReachesTheActiveScreen) {
    VirtualRemote remote;
    if (!remote.Create())
        GTEST_SKIP() << "no usable /dev/uhid here: " << std::strerror(errno);
    SteadyClock clock;
    InputRouter router(clock);
    RecordingForm below;
    RecordingForm screen;
    below.show();
    screen.show();
    RemoteInputDevices devices(router); // the real device folders

    QString node;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(node = VirtualRemoteNode()).isEmpty(); }, 5000));
    const bool opened = QTest::qWaitFor([&] { return devices.OpenDevices().contains(node); }, 5000);
    if (!opened && ::access(QFile::encodeName(node).constData(), R_OK) != 0)
        GTEST_SKIP() << "this account may not read " << node.toStdString();
    ASSERT_TRUE(opened);

    const QByteArray report = QByteArray::fromHex("00048000");
    ASSERT_TRUE(remote.Send(report));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !screen.reports.empty(); }, 5000));
    EXPECT_EQ(screen.reports.front(), report);
    EXPECT_TRUE(below.ReceivedNothing());
}
} // namespace
