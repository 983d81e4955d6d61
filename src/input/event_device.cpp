#include "input/event_device.h"

#include "input/app_command.h"
#include "input/category_keys.h"
#include "input/remote_dispatch.h"
#include "input/remote_report.h"

#include <linux/input.h>

#include <cstring>

namespace {
constexpr int kLetterKeys[] = {KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I,
                               KEY_J, KEY_K, KEY_L, KEY_M, KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R,
                               KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z};
constexpr int kKeyReleased = 0;
} // namespace

bool IsRemoteKeyDevice(const KeyBits& keys) {
    for (int letter : kLetterKeys)
        if (keys.test(size_t(letter)))
            return false;
    return keys.test(KEY_VIDEO) || keys.test(KEY_PLAY);
}

std::vector<int> PressedKeys(const QByteArray& events) {
    std::vector<int> pressed;
    for (qsizetype at = 0; at + qsizetype(sizeof(input_event)) <= events.size();
         at += sizeof(input_event)) {
        input_event event;
        std::memcpy(&event, events.constData() + at, sizeof event);
        if (event.type == EV_KEY && event.value != kKeyReleased)
            pressed.push_back(event.code);
    }
    return pressed;
}

void DeliverEventKeys(const QByteArray& events) {
    for (int key : PressedKeys(events)) {
        if (const int command = AppCommandFromEventKey(key))
            DeliverAppCommand(command, InputPath::EventDevice);
        else if (const quint32 code = CategoryReportFromEventKey(key))
            DeliverRemoteReport(ReportFromCode(code), InputPath::EventDevice);
    }
}
