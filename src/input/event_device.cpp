#include "input/event_device.h"

#include "input/app_command.h"
#include "input/category_keys.h"
#include "input/remote_dispatch.h"
#include "input/remote_report.h"
#include "platform/focus_input.h"

#include <linux/input.h>

#include <Qt>

#include <cstring>

namespace {
constexpr int kLetterKeys[] = {KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I,
                               KEY_J, KEY_K, KEY_L, KEY_M, KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R,
                               KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z};
constexpr int kKeyReleased = 0;
constexpr int kKeyRepeated = 2;
} // namespace

bool IsRemoteKeyDevice(const KeyBits& keys) {
    for (int letter : kLetterKeys)
        if (keys.test(static_cast<size_t>(letter)))
            return false;
    return keys.test(KEY_VIDEO) || keys.test(KEY_PLAY) || keys.test(KEY_OK);
}

std::vector<KeyPress> PressedKeys(const QByteArray& events) {
    std::vector<KeyPress> pressed;
    for (qsizetype at = 0; at + static_cast<qsizetype>(sizeof(input_event)) <= events.size();
         at += sizeof(input_event)) {
        input_event event;
        std::memcpy(&event, events.constData() + at, sizeof event);
        if (event.type == EV_KEY && event.value != kKeyReleased)
            pressed.push_back({event.code, event.value == kKeyRepeated});
    }
    return pressed;
}

int QtKeyFromEventKey(int keyCode) {
    if (keyCode == KEY_OK || keyCode == KEY_SELECT)
        return Qt::Key_Return;
    if (keyCode >= KEY_NUMERIC_0 && keyCode <= KEY_NUMERIC_9)
        return Qt::Key_0 + (keyCode - KEY_NUMERIC_0);
    return 0;
}

void DeliverEventKeys(RemoteDispatch& dispatch, const QByteArray& events) {
    for (const KeyPress& press : PressedKeys(events)) {
        if (const int command = AppCommandFromEventKey(press.code))
            dispatch.DeliverAppCommand(command, InputPath::EventDevice);
        else if (const quint32 code = CategoryReportFromEventKey(press.code))
            dispatch.DeliverRemoteReport(ReportFromCode(code), InputPath::EventDevice);
        else if (const int qtKey = QtKeyFromEventKey(press.code))
            PressKeyAtFocus(qtKey, press.repeat);
    }
}
