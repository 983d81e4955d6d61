#include "input/category_keys.h"

#include "input/remote_report.h"

#include <Qt>

#include <linux/input-event-codes.h>

#include <utility>

namespace {
// The X11 names: an MCE remote's Pictures button is KEY_CAMERA, which X11 shows as XF86WebCam.
constexpr std::pair<int, quint32> kQtKeys[] = {
    {Qt::Key_Video, report::Video},
    {Qt::Key_Music, report::Music},
    {Qt::Key_Pictures, report::Pictures},
    {Qt::Key_WebCam, report::Pictures},
};

// The kernel's codes for the same buttons (MCE remotes through the IR layer give KEY_AUDIO, HID
// remotes KEY_MP3) that lie beyond what X11 can deliver.
constexpr std::pair<int, quint32> kEventKeys[] = {
    {KEY_VIDEO, report::Video},
    {KEY_AUDIO, report::Music},
    {KEY_MP3, report::Music},
    {KEY_IMAGES, report::Pictures},
};

template <std::size_t N> quint32 Lookup(const std::pair<int, quint32> (&table)[N], int key) {
    for (const auto& [from, code] : table)
        if (from == key)
            return code;
    return 0;
}
} // namespace

quint32 CategoryReportFromQtKey(int qtKey) {
    return Lookup(kQtKeys, qtKey);
}

quint32 CategoryReportFromEventKey(int keyCode) {
    return Lookup(kEventKeys, keyCode);
}
