#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

// A HID usage: its page and its number within the page.
struct HidUsage {
    quint16 page = 0;
    quint16 usage = 0;
    bool operator==(const HidUsage&) const = default;
};

// A collection at the outermost level of a HID report descriptor: one input stream of the device.
struct TopLevelCollection {
    HidUsage usage;
    // The report IDs of the input reports it declares (0: the descriptor declares no report IDs).
    std::vector<quint8> inputReportIds;
};

// The collections at the outermost level of a HID report descriptor, in order. A descriptor that
// ends in the middle of an item yields the collections found before it.
std::vector<TopLevelCollection> DescribeTopLevelCollections(const QByteArray& descriptor);
// Their usages only.
std::vector<HidUsage> TopLevelCollections(const QByteArray& descriptor);

// The collections a remote control delivers its buttons through.
constexpr HidUsage kRemoteVendorCollection{0xFFBC, 0x88};
constexpr HidUsage kConsumerControlCollection{0x000C, 0x0001};

// Tells a device's remote-control reports from the rest: a combo receiver's mouse and keyboard
// reports come through the same node, and folded as remote reports they would open screens.
class RemoteReportSelector {
public:
    explicit RemoteReportSelector(const QByteArray& descriptor);

    // Whether any report of the device can come from a remote-control collection.
    bool AdmitsAny() const;
    // Whether the report (as read from the node, its report ID first where the device uses report
    // IDs) comes from a remote-control collection. Without report IDs the reports cannot be told
    // apart, so they count only when that collection is the device's only one.
    bool Admits(const QByteArray& report) const;

private:
    bool usesReportIds_ = false;
    bool onlyRemoteCollection_ = false;
    std::vector<quint8> remoteReportIds_;
};

// Whether a device with this descriptor has a remote-control collection at its outermost level
// whose reports can be told from the device's others.
bool IsRemoteControlDescriptor(const QByteArray& descriptor);
