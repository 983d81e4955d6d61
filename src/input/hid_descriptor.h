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

// The usages of the collections at the outermost level of a HID report descriptor, in order
// (a device offers one input stream per such collection). A descriptor that ends in the middle
// of an item yields the collections found before it.
std::vector<HidUsage> TopLevelCollections(const QByteArray& descriptor);

// The collections a remote control delivers its buttons through.
constexpr HidUsage kRemoteVendorCollection{0xFFBC, 0x88};
constexpr HidUsage kConsumerControlCollection{0x000C, 0x0001};

// Whether a device with this descriptor has a remote-control collection at its outermost level.
bool IsRemoteControlDescriptor(const QByteArray& descriptor);
