#include "input/hid_descriptor.h"

#include <algorithm>
#include <optional>

namespace {
constexpr quint8 kLongItemPrefix = 0xFE;

enum ItemType : quint8 { Main = 0, Global = 1, Local = 2 };

// Main item tags.
constexpr quint8 kInput = 0x8;
constexpr quint8 kCollection = 0xA;
constexpr quint8 kEndCollection = 0xC;
// Global item tags.
constexpr quint8 kUsagePage = 0x0;
constexpr quint8 kReportId = 0x8;
constexpr quint8 kPush = 0xA;
constexpr quint8 kPop = 0xB;
// Local item tags.
constexpr quint8 kUsage = 0x0;
constexpr quint8 kUsageMinimum = 0x1;

// A usage as a local item gives it: a 4-byte usage carries its own page, a shorter one takes the
// usage page in effect when the main item that uses it is reached.
struct LocalUsage {
    quint32 value = 0;
    bool extended = false;

    HidUsage Resolve(quint16 usagePage) const {
        if (extended)
            return {static_cast<quint16>(value >> 16), static_cast<quint16>(value & 0xFFFF)};
        return {usagePage, static_cast<quint16>(value & 0xFFFF)};
    }
};

quint32 LittleEndian(const QByteArray& bytes, qsizetype offset, int size) {
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<quint8>(bytes[offset + i]);
    return value;
}

// The global items that matter here; Push and Pop save and restore them together.
struct GlobalState {
    quint16 usagePage = 0;
    quint8 reportId = 0;
};

bool IsRemoteCollection(const HidUsage& usage) {
    return usage == kRemoteVendorCollection || usage == kConsumerControlCollection;
}
} // namespace

std::vector<TopLevelCollection> DescribeTopLevelCollections(const QByteArray& descriptor) {
    std::vector<TopLevelCollection> collections;
    GlobalState global;
    std::vector<GlobalState> pushed;
    std::optional<LocalUsage> usage;
    std::optional<LocalUsage> usageMinimum;
    int depth = 0;

    qsizetype pos = 0;
    while (pos < descriptor.size()) {
        const quint8 prefix = static_cast<quint8>(descriptor[pos]);
        if (prefix == kLongItemPrefix) {
            // Long items carry their size in the next byte; no defined item is long, so skip it.
            if (pos + 3 > descriptor.size())
                break;
            pos += 3 + static_cast<quint8>(descriptor[pos + 1]);
            continue;
        }
        const int sizeCode = prefix & 0x3;
        const int size = sizeCode == 3 ? 4 : sizeCode;
        const quint8 type = (prefix >> 2) & 0x3;
        const quint8 tag = prefix >> 4;
        if (pos + 1 + size > descriptor.size())
            break;
        const quint32 data = LittleEndian(descriptor, pos + 1, size);
        pos += 1 + size;

        switch (type) {
        case Main:
            if (tag == kCollection) {
                if (depth == 0) {
                    const std::optional<LocalUsage>& named = usage ? usage : usageMinimum;
                    collections.push_back(
                        {named ? named->Resolve(global.usagePage) : HidUsage{global.usagePage, 0},
                         {}});
                }
                ++depth;
            } else if (tag == kEndCollection) {
                depth = std::max(0, depth - 1);
            } else if (tag == kInput && depth > 0) {
                std::vector<quint8>& ids = collections.back().inputReportIds;
                if (std::find(ids.begin(), ids.end(), global.reportId) == ids.end())
                    ids.push_back(global.reportId);
            }
            // Local items last until the next main item only.
            usage.reset();
            usageMinimum.reset();
            break;
        case Global:
            if (tag == kUsagePage) {
                global.usagePage = static_cast<quint16>(data);
            } else if (tag == kReportId) {
                global.reportId = static_cast<quint8>(data);
            } else if (tag == kPush) {
                pushed.push_back(global);
            } else if (tag == kPop && !pushed.empty()) {
                global = pushed.back();
                pushed.pop_back();
            }
            break;
        case Local:
            // The first usage names the collection; later ones (alternatives, delimiters) do not.
            if (tag == kUsage && !usage)
                usage = LocalUsage{data, size == 4};
            else if (tag == kUsageMinimum && !usageMinimum)
                usageMinimum = LocalUsage{data, size == 4};
            break;
        default:
            break; // reserved item type
        }
    }
    return collections;
}

std::vector<HidUsage> TopLevelCollections(const QByteArray& descriptor) {
    std::vector<HidUsage> usages;
    for (const TopLevelCollection& collection : DescribeTopLevelCollections(descriptor))
        usages.push_back(collection.usage);
    return usages;
}

RemoteReportSelector::RemoteReportSelector(const QByteArray& descriptor) {
    const std::vector<TopLevelCollection> collections = DescribeTopLevelCollections(descriptor);
    for (const TopLevelCollection& collection : collections) {
        for (quint8 id : collection.inputReportIds) {
            if (id != 0)
                usesReportIds_ = true;
            if (id != 0 && IsRemoteCollection(collection.usage))
                remoteReportIds_.push_back(id);
        }
    }
    onlyRemoteCollection_ = collections.size() == 1 && IsRemoteCollection(collections[0].usage);
}

bool RemoteReportSelector::AdmitsAny() const {
    return usesReportIds_ ? !remoteReportIds_.empty() : onlyRemoteCollection_;
}

bool RemoteReportSelector::Admits(const QByteArray& report) const {
    if (!usesReportIds_)
        return onlyRemoteCollection_;
    return !report.isEmpty() && std::find(remoteReportIds_.begin(), remoteReportIds_.end(),
                                          static_cast<quint8>(report[0])) != remoteReportIds_.end();
}

bool IsRemoteControlDescriptor(const QByteArray& descriptor) {
    return RemoteReportSelector(descriptor).AdmitsAny();
}
