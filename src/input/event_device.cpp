#include "input/event_device.h"

#include "input/app_command.h"
#include "input/category_keys.h"
#include "input/input_router.h"
#include "input/remote_report.h"

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

std::vector<KeyChange> KeyChanges(const QByteArray& events) {
    std::vector<KeyChange> changes;
    for (qsizetype at = 0; at + static_cast<qsizetype>(sizeof(input_event)) <= events.size();
         at += sizeof(input_event)) {
        input_event event;
        std::memcpy(&event, events.constData() + at, sizeof event);
        if (event.type != EV_KEY)
            continue;
        const KeyChange::State state = event.value == kKeyReleased   ? KeyChange::Released
                                       : event.value == kKeyRepeated ? KeyChange::Repeated
                                                                     : KeyChange::Pressed;
        changes.push_back({event.code, state});
    }
    return changes;
}

std::optional<InputCommand> CommandFromEventKey(int keyCode) {
    if (const int command = AppCommandFromEventKey(keyCode))
        return InputCommand::Command(command);
    if (const quint32 code = CategoryReportFromEventKey(keyCode))
        return InputCommand::Report(code);
    if (keyCode == KEY_OK || keyCode == KEY_SELECT)
        return InputCommand::Key(vk::Return);
    if (keyCode >= KEY_NUMERIC_0 && keyCode <= KEY_NUMERIC_9)
        return InputCommand::Key(vk::Digit0 + (keyCode - KEY_NUMERIC_0));
    return std::nullopt;
}

void DeliverEventKeys(InputRouter& router, const QByteArray& events) {
    for (const KeyChange& change : KeyChanges(events)) {
        const std::optional<InputCommand> command = CommandFromEventKey(change.code);
        if (!command)
            continue;
        switch (change.state) {
        case KeyChange::Pressed:
            router.Press(*command, InputPath::EventDevice);
            break;
        case KeyChange::Repeated:
            router.Hold(*command, InputPath::EventDevice);
            break;
        case KeyChange::Released:
            router.Release(*command, InputPath::EventDevice);
            break;
        }
    }
}
