#include "byte_literals.h"
#include "input/device_reader.h"
#include "input/input_router.h"
#include "input/remote_input.h"
#include "input/remote_report.h"
#include "message_capture.h"
#include "recording_forms.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <initializer_list>
#include <memory>

namespace {
constexpr int kWaitMs = 5000;

const QByteArray kVendorRemote = Bytes({0x06, 0xBC, 0xFF, 0x09, 0x88, 0xA1, 0x01, 0x15, 0x00, 0x26,
                                        0xFF, 0x00, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0xC0});
const QByteArray kKeyboard = Bytes({0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0,
                                    0x29, 0xE7, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0xC0});

// A combo receiver: a mouse under report ID 1, consumer control under report ID 2.
const QByteArray kComboReceiver = Bytes(
    {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x04, 0x81, 0x06, 0xC0,
     0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x75, 0x08, 0x95, 0x04, 0x81, 0x00, 0xC0});

bool WriteAll(int fd, const QByteArray& bytes) {
    return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

TEST(DeviceReader, HandsOnEachReportFromTheEventLoopThenReportsTheEnd) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    std::vector<QByteArray> chunks;
    int gone = 0;
    DeviceReader reader(
        fds[0], 4096, [&chunks](const QByteArray& chunk) { chunks.push_back(chunk); },
        [&gone] { ++gone; });

    ASSERT_TRUE(WriteAll(fds[1], Bytes({0x00, 0x04, 0x80, 0x00})));
    EXPECT_TRUE(QTest::qWaitFor([&] { return chunks.size() == 1; }, kWaitMs));
    ASSERT_TRUE(WriteAll(fds[1], Bytes({0x04, 0x08, 0x00})));
    EXPECT_TRUE(QTest::qWaitFor([&] { return chunks.size() == 2; }, kWaitMs));
    EXPECT_EQ(chunks, (std::vector<QByteArray>{Bytes({0x00, 0x04, 0x80, 0x00}),
                                               Bytes({0x04, 0x08, 0x00})}));
    EXPECT_EQ(gone, 0);

    ::close(fds[1]);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gone == 1; }, kWaitMs));
    QCoreApplication::processEvents(); // an end told twice would be told by now
    EXPECT_EQ(gone, 1);
    EXPECT_EQ(chunks.size(), 2u);
}

TEST(DeviceReader, ChunksAreCutAtTheGivenSize) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    std::vector<QByteArray> chunks;
    DeviceReader reader(fds[0], 3, [&chunks](const QByteArray& chunk) { chunks.push_back(chunk); },
                        {});
    ASSERT_TRUE(WriteAll(fds[1], Bytes({1, 2, 3, 4, 5})));
    EXPECT_TRUE(QTest::qWaitFor([&] { return chunks.size() == 2; }, kWaitMs));
    EXPECT_EQ(chunks, (std::vector<QByteArray>{Bytes({1, 2, 3}), Bytes({4, 5})}));
    ::close(fds[1]);
}

// A device folder and a sysfs folder in a temporary directory; each "device" is a FIFO whose other
// end the test holds, as the kernel would.
class RemoteInputDevicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        ASSERT_TRUE(QDir(root_.path()).mkpath(QStringLiteral("dev")));
        ASSERT_TRUE(QDir(root_.path()).mkpath(QStringLiteral("sys")));
        paths_.devDir = root_.filePath(QStringLiteral("dev"));
        paths_.hidrawSysDir = root_.filePath(QStringLiteral("sys"));
        paths_.inputDir = root_.filePath(QStringLiteral("dev/input"));
        screen_.show();
    }
    void TearDown() override {
        for (int fd : deviceEnds_)
            ::close(fd);
    }

    QString DevicePath(const QString& name) const { return QDir(paths_.devDir).filePath(name); }

    // Makes the node (after its sysfs entry, as the kernel does) and returns the device's end.
    int Plug(const QString& name, const QByteArray* descriptor, mode_t mode = 0600) {
        if (descriptor) {
            const QString dir =
                QDir(paths_.hidrawSysDir).filePath(name + QStringLiteral("/device"));
            EXPECT_TRUE(QDir().mkpath(dir));
            QFile file(dir + QStringLiteral("/report_descriptor"));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*descriptor);
        }
        const QByteArray path = QFile::encodeName(DevicePath(name));
        EXPECT_EQ(::mkfifo(path.constData(), 0600), 0);
        const int fd = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::chmod(path.constData(), mode), 0);
        deviceEnds_.push_back(fd);
        return fd;
    }

    void Unplug(int fd) {
        ::close(fd);
        std::erase(deviceEnds_, fd);
    }

    // Bytes written into a device that its reader has not taken yet.
    static int Unread(int fd) {
        int bytes = 0;
        return ::ioctl(fd, FIONREAD, &bytes) == 0 ? bytes : -1;
    }

    bool Reading(const RemoteInputDevices& devices, const QString& name) const {
        return devices.OpenDevices().contains(DevicePath(name));
    }

    QTemporaryDir root_;
    RemoteInputPaths paths_;
    SteadyClock clock_;
    InputRouter router_{clock_};
    RecordingForm screen_;
    std::vector<int> deviceEnds_;
};

TEST_F(RemoteInputDevicesTest, ReadsRemotesOnlyAndHandsTheirReportsToTheScreen) {
    const int remote = Plug(QStringLiteral("hidraw0"), &kVendorRemote);
    Plug(QStringLiteral("hidraw1"), &kKeyboard);
    Plug(QStringLiteral("hidraw2"), nullptr); // no descriptor anywhere: not a HID device
    RemoteInputDevices devices(router_, paths_);
    EXPECT_EQ(devices.OpenDevices(), QStringList{DevicePath(QStringLiteral("hidraw0"))});

    ASSERT_TRUE(WriteAll(remote, Bytes({0x00, 0x04, 0x80, 0x00})));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !screen_.reports.empty(); }, kWaitMs));
    EXPECT_EQ(screen_.reports, std::vector<QByteArray>{Bytes({0x00, 0x04, 0x80, 0x00})});
}

TEST_F(RemoteInputDevicesTest, AComboReceiversMouseReportsAreNotFolded) {
    const int receiver = Plug(QStringLiteral("hidraw7"), &kComboReceiver);
    RemoteInputDevices devices(router_, paths_);
    ASSERT_TRUE(Reading(devices, QStringLiteral("hidraw7")));
    // A mouse movement whose last bytes read as the Video button, then the real Music button.
    ASSERT_TRUE(WriteAll(receiver, Bytes({0x01, 0x00, 0x04, 0x80, 0x00})));
    // Read as a report of its own before the next comes.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Unread(receiver) == 0; }, kWaitMs));
    ASSERT_TRUE(WriteAll(receiver, Bytes({0x02, 0x00, 0x04, 0x08, 0x00})));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !screen_.reports.empty(); }, kWaitMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(screen_.reports, std::vector<QByteArray>{Bytes({0x02, 0x00, 0x04, 0x08, 0x00})});
}

TEST_F(RemoteInputDevicesTest, PicksUpAndDropsDevicesWhileRunning) {
    RemoteInputDevices devices(router_, paths_);
    EXPECT_TRUE(devices.OpenDevices().isEmpty());

    const int remote = Plug(QStringLiteral("hidraw3"), &kVendorRemote);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Reading(devices, QStringLiteral("hidraw3")); }, kWaitMs));
    ASSERT_TRUE(WriteAll(remote, Bytes({0x00, 0x04, 0x08, 0x00})));
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen_.reports.size() == 1; }, kWaitMs));

    // Unplugged: the node goes away.
    ASSERT_EQ(::unlink(QFile::encodeName(DevicePath(QStringLiteral("hidraw3"))).constData()), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return devices.OpenDevices().isEmpty(); }, kWaitMs));
}

TEST_F(RemoteInputDevicesTest, ADeviceThatEndsIsDropped) {
    const int remote = Plug(QStringLiteral("hidraw4"), &kVendorRemote);
    RemoteInputDevices devices(router_, paths_);
    ASSERT_TRUE(Reading(devices, QStringLiteral("hidraw4")));
    Unplug(remote);
    EXPECT_TRUE(QTest::qWaitFor([&] { return devices.OpenDevices().isEmpty(); }, kWaitMs));
    EXPECT_TRUE(screen_.ReceivedNothing());
}

TEST_F(RemoteInputDevicesTest, ANodeMadeAnewUnderTheSameNameIsReadInstead) {
    Plug(QStringLiteral("hidraw6"), &kVendorRemote);
    RemoteInputDevices devices(router_, paths_);
    ASSERT_TRUE(Reading(devices, QStringLiteral("hidraw6")));

    // Unplugged and another remote plugged in before the old one reported its end.
    ASSERT_EQ(::unlink(QFile::encodeName(DevicePath(QStringLiteral("hidraw6"))).constData()), 0);
    const int second = Plug(QStringLiteral("hidraw6"), &kVendorRemote);
    // The report waits in the new node until that is found and read.
    ASSERT_TRUE(WriteAll(second, Bytes({0x03, 0x00, 0x00, 0x02})));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !screen_.reports.empty(); }, kWaitMs));
    EXPECT_EQ(devices.OpenDevices(), QStringList{DevicePath(QStringLiteral("hidraw6"))});
}

TEST_F(RemoteInputDevicesTest, ADeviceIsReadOnceAccessIsGranted) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root opens the device without permission";
    const int remote = Plug(QStringLiteral("hidraw5"), &kVendorRemote, 0000);
    RemoteInputDevices devices(router_, paths_);
    EXPECT_TRUE(devices.OpenDevices().isEmpty());

    // What udev's uaccess rule does a moment after the node appears.
    ASSERT_EQ(::chmod(QFile::encodeName(DevicePath(QStringLiteral("hidraw5"))).constData(), 0600),
              0);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Reading(devices, QStringLiteral("hidraw5")); }, kWaitMs));
    ASSERT_TRUE(WriteAll(remote, Bytes({0x00, 0x04, 0x10, 0x00})));
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen_.reports.size() == 1; }, kWaitMs));
}

TEST_F(RemoteInputDevicesTest, NoDeviceFolderMeansNothingArrives) {
    paths_.devDir = root_.filePath(QStringLiteral("missing"));
    paths_.inputDir = root_.filePath(QStringLiteral("missing/input"));
    RemoteInputDevices devices(router_, paths_);
    QCoreApplication::processEvents();
    EXPECT_TRUE(devices.OpenDevices().isEmpty());
    EXPECT_TRUE(screen_.ReceivedNothing());
}

TEST(RemoteInputRegistration, AMachineWithoutARemoteReportsNothing) {
    MessageCapture messages;
    SteadyClock clock;
    InputRouter router(clock);
    for (int run = 0; run < 2; ++run) {
        RemoteInputDevices devices(router); // the real device folders
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(messages.texts.isEmpty());
}
} // namespace
