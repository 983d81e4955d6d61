#include "byte_literals.h"
#include "input/hid_descriptor.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <vector>

void PrintTo(const HidUsage& usage, std::ostream* out) {
    *out << std::hex << "0x" << usage.page << "/0x" << usage.usage;
}

namespace {
// An eHome infrared receiver: the remote's vendor collection, then consumer control.
const QByteArray kMceReceiver = Bytes({
    0x06, 0xBC, 0xFF,             // Usage Page (0xFFBC)
    0x09, 0x88,                   // Usage (0x88)
    0xA1, 0x01,                   // Collection (Application)
    0x85, 0x02,                   //   Report ID (2)
    0x09, 0x01,                   //   Usage (1)
    0x15, 0x00, 0x26, 0xFF, 0x00, //   Logical Minimum (0), Maximum (255)
    0x75, 0x08, 0x95, 0x03,       //   Report Size (8), Count (3)
    0x81, 0x02,                   //   Input (Data, Var, Abs)
    0xC0,                         // End Collection
    0x05, 0x0C,                   // Usage Page (Consumer)
    0x09, 0x01,                   // Usage (Consumer Control)
    0xA1, 0x01,                   // Collection (Application)
    0x85, 0x03,                   //   Report ID (3)
    0x19, 0x00, 0x2A, 0x3C, 0x02, //   Usage Minimum (0), Maximum (0x23C)
    0x15, 0x00, 0x26, 0x3C, 0x02, //   Logical Minimum (0), Maximum (0x23C)
    0x75, 0x10, 0x95, 0x01,       //   Report Size (16), Count (1)
    0x81, 0x00,                   //   Input (Data, Array)
    0xC0,                         // End Collection
});

// The media-key interface of a keyboard.
const QByteArray kConsumerControl = Bytes({
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x19, 0x00, 0x2A, 0x3C, 0x02,
    0x15, 0x00, 0x26, 0x3C, 0x02, 0x95, 0x01, 0x75, 0x10, 0x81, 0x00, 0xC0,
});

// A boot keyboard.
const QByteArray kKeyboard = Bytes({
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0,
});

// A boot mouse: a physical collection (pointer) nested in the application collection.
const QByteArray kMouse = Bytes({
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19,
    0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
    0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15,
    0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0,
});

struct DescriptorCase {
    const char* name;
    QByteArray descriptor;
    std::vector<HidUsage> collections;
    bool remote;
};

void PrintTo(const DescriptorCase& c, std::ostream* out) {
    *out << c.name;
}

class TopLevelCollectionsTest : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(TopLevelCollectionsTest, FindsTheOutermostCollections) {
    EXPECT_EQ(TopLevelCollections(GetParam().descriptor), GetParam().collections);
    EXPECT_EQ(IsRemoteControlDescriptor(GetParam().descriptor), GetParam().remote);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, TopLevelCollectionsTest,
    ::testing::Values(
        DescriptorCase{"MceReceiver", kMceReceiver, {{0xFFBC, 0x88}, {0x0C, 0x01}}, true},
        DescriptorCase{"ConsumerControl", kConsumerControl, {{0x0C, 0x01}}, true},
        DescriptorCase{"Keyboard", kKeyboard, {{0x01, 0x06}}, false},
        DescriptorCase{"Mouse", kMouse, {{0x01, 0x02}}, false},
        DescriptorCase{"KeyboardWithMediaKeys",
                       kKeyboard + kConsumerControl,
                       {{0x01, 0x06}, {0x0C, 0x01}},
                       true},
        DescriptorCase{"Empty", {}, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Items, TopLevelCollectionsTest,
    ::testing::Values(
        // A 4-byte usage carries its own page.
        DescriptorCase{"ExtendedUsage",
                       Bytes({0x05, 0x01, 0x0B, 0x01, 0x00, 0x0C, 0x00, 0xA1, 0x01, 0xC0}),
                       {{0x0C, 0x01}},
                       true},
        // A short usage takes the page in effect at the main item, even one set after it.
        DescriptorCase{"PageAfterUsage",
                       Bytes({0x09, 0x01, 0x05, 0x0C, 0xA1, 0x01, 0xC0}),
                       {{0x0C, 0x01}},
                       true},
        DescriptorCase{"FourBytePage",
                       Bytes({0x07, 0xBC, 0xFF, 0x00, 0x00, 0x09, 0x88, 0xA1, 0x01, 0xC0}),
                       {{0xFFBC, 0x88}},
                       true},
        DescriptorCase{"VendorPageOtherUsage",
                       Bytes({0x06, 0xBC, 0xFF, 0x09, 0x89, 0xA1, 0x01, 0xC0}),
                       {{0xFFBC, 0x89}},
                       false},
        DescriptorCase{"PushPop",
                       Bytes({0x05, 0x0C, 0xA4, 0x05, 0x01, 0xB4, 0x09, 0x01, 0xA1, 0x01, 0xC0}),
                       {{0x0C, 0x01}},
                       true},
        DescriptorCase{"PopWithoutPush",
                       Bytes({0x05, 0x0C, 0xB4, 0x09, 0x01, 0xA1, 0x01, 0xC0}),
                       {{0x0C, 0x01}},
                       true},
        DescriptorCase{
            "LongItemSkipped",
            Bytes({0xFE, 0x02, 0x10, 0xA1, 0x01, 0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0xC0}),
            {{0x0C, 0x01}},
            true},
        DescriptorCase{"NestedRemoteUsageIsNotTopLevel",
                       Bytes({0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x0C, 0x09, 0x01, 0xA1,
                              0x02, 0xC0, 0xC0}),
                       {{0x01, 0x06}},
                       false},
        DescriptorCase{"SecondCollectionAfterNesting",
                       Bytes({0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00,
                              0xC0, 0xC0, 0x06, 0xBC, 0xFF, 0x09, 0x88, 0xA1, 0x01, 0xC0}),
                       {{0x01, 0x02}, {0xFFBC, 0x88}},
                       false}, // without report IDs the remote's reports cannot be told apart
        DescriptorCase{"StrayEndCollection",
                       Bytes({0xC0, 0xC0, 0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0xC0}),
                       {{0x0C, 0x01}},
                       true},
        DescriptorCase{"UsageEndsWithItsMainItem",
                       Bytes({0x05, 0x0C, 0x09, 0x01, 0x81, 0x02, 0xA1, 0x01, 0xC0}),
                       {{0x0C, 0x00}},
                       false},
        DescriptorCase{"UsageMinimumNamesTheCollection",
                       Bytes({0x05, 0x0C, 0x19, 0x01, 0x29, 0x05, 0xA1, 0x01, 0xC0}),
                       {{0x0C, 0x01}},
                       true},
        DescriptorCase{"TruncatedItemKeepsWhatCameBefore",
                       Bytes({0x06, 0xBC, 0xFF, 0x09, 0x88, 0xA1, 0x01, 0xC0, 0x06, 0xBC}),
                       {{0xFFBC, 0x88}},
                       true},
        DescriptorCase{"TruncatedLongItem",
                       Bytes({0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0xFE, 0x40}),
                       {{0x0C, 0x01}},
                       true},
        DescriptorCase{"CollectionCutShort", Bytes({0x05, 0x0C, 0x09, 0x01, 0xA1}), {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// One collection with one 8-bit input field, under its own report ID (0: none).
QByteArray Collection(quint16 page, quint8 usage, quint8 reportId) {
    QByteArray bytes =
        Bytes({0x06, quint8(page & 0xFF), quint8(page >> 8), 0x09, usage, 0xA1, 0x01});
    if (reportId != 0)
        bytes += Bytes({0x85, reportId});
    return bytes + Bytes({0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0});
}

// A combo receiver: keyboard, mouse, media keys and a vendor collection of another kind.
const QByteArray kComboReceiver = Collection(0x01, 0x06, 1) + Collection(0x01, 0x02, 2) +
                                  Collection(0x0C, 0x01, 3) + Collection(0xFF00, 0x01, 4);

struct SelectorCase {
    const char* name;
    QByteArray descriptor;
    std::vector<QByteArray> admitted;
    std::vector<QByteArray> refused;
};
// Names the case in test names and failure messages.
void PrintTo(const SelectorCase& c, std::ostream* out) {
    *out << c.name;
}

class RemoteReportSelectorTest : public ::testing::TestWithParam<SelectorCase> {};

TEST_P(RemoteReportSelectorTest, FoldsOnlyTheRemoteCollectionsReports) {
    const RemoteReportSelector selector(GetParam().descriptor);
    EXPECT_EQ(selector.AdmitsAny(), !GetParam().admitted.empty());
    for (const QByteArray& report : GetParam().admitted)
        EXPECT_TRUE(selector.Admits(report)) << report.toHex().constData();
    for (const QByteArray& report : GetParam().refused)
        EXPECT_FALSE(selector.Admits(report)) << report.toHex().constData();
}

INSTANTIATE_TEST_SUITE_P(
    Devices, RemoteReportSelectorTest,
    ::testing::Values(
        SelectorCase{"MceReceiver",
                     kMceReceiver,
                     {Bytes({0x02, 0x00, 0x04, 0x80, 0x00}), Bytes({0x03, 0xCD, 0x00})},
                     {Bytes({0x01, 0x00, 0x04, 0x80, 0x00}), Bytes({0x04}), QByteArray()}},
        SelectorCase{"ComboReceiverMouseAndKeyboardLeftOut",
                     kComboReceiver,
                     {Bytes({0x03, 0x00, 0x04, 0x80, 0x00})},
                     {Bytes({0x01, 0x00, 0x04, 0x80, 0x00}), Bytes({0x02, 0x00, 0x04, 0x80, 0x00}),
                      Bytes({0x04, 0x00, 0x04, 0x80, 0x00})}},
        SelectorCase{"OnlyCollectionWithoutReportIds",
                     Collection(0xFFBC, 0x88, 0),
                     {Bytes({0x00, 0x04, 0x80, 0x00}), Bytes({0x02, 0x00, 0x04, 0x80, 0x00})},
                     {}},
        SelectorCase{"SeveralCollectionsWithoutReportIds",
                     kMouse + Collection(0xFFBC, 0x88, 0),
                     {},
                     {Bytes({0x00, 0x04, 0x80, 0x00}), Bytes({0x01, 0x00, 0x00})}},
        SelectorCase{"KeyboardOnly", kKeyboard, {}, {Bytes({0x00, 0x00, 0x04, 0x00})}},
        // A report ID stays in effect into the next collection, which then shares it.
        SelectorCase{"ReportIdCarriedIntoTheNextCollection",
                     Collection(0x01, 0x02, 5) + Bytes({0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x75,
                                                        0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}),
                     {Bytes({0x05, 0x10})},
                     {Bytes({0x06, 0x10})}},
        // Push and Pop restore the report ID with the usage page.
        SelectorCase{"PopRestoresTheReportId",
                     Bytes({0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x07, 0xA4, 0x85, 0x08, 0xB4,
                            0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}) +
                         Collection(0x01, 0x06, 9),
                     {Bytes({0x07, 0x10})},
                     {Bytes({0x08, 0x10}), Bytes({0x09, 0x10})}},
        // Output and feature reports never come through a read; only input reports count.
        SelectorCase{"OutputReportIdsDoNotCount",
                     Bytes({0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x75, 0x08, 0x95, 0x01,
                            0x91, 0x02, 0x85, 0x03, 0x81, 0x02, 0xC0}) +
                         Collection(0x01, 0x02, 4),
                     {Bytes({0x03, 0x10})},
                     {Bytes({0x02, 0x10}), Bytes({0x04, 0x10})}}),
    [](const auto& info) { return std::string(info.param.name); });
} // namespace
