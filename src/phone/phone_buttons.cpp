#include "phone/phone_buttons.h"

#include "input/app_command.h"

#include <array>

namespace {
struct PhoneButton {
    const char16_t* name;
    InputCommand command;
};

const std::array<PhoneButton, 16> kButtons{{
    {u"Up", InputCommand::Key(vk::Up)},
    {u"Down", InputCommand::Key(vk::Down)},
    {u"Left", InputCommand::Key(vk::Left)},
    {u"Right", InputCommand::Key(vk::Right)},
    {u"OK", InputCommand::Key(vk::Return)},
    {u"Back", InputCommand::Key(vk::Escape)},
    {u"Home", InputCommand::Key(vk::BrowserHome)},
    {u"Play/Pause", InputCommand::Command(appcommand::PlayPause)},
    {u"Stop", InputCommand::Command(appcommand::Stop)},
    {u"Previous", InputCommand::Command(appcommand::PreviousTrack)},
    {u"Next", InputCommand::Command(appcommand::NextTrack)},
    {u"Jump back", InputCommand::Command(appcommand::Rewind)},
    {u"Jump forward", InputCommand::Command(appcommand::FastForward)},
    {u"Volume up", InputCommand::Command(appcommand::VolumeUp)},
    {u"Volume down", InputCommand::Command(appcommand::VolumeDown)},
    {u"Mute", InputCommand::Command(appcommand::VolumeMute)},
}};
} // namespace

std::optional<InputCommand> PhoneButtonCommand(QStringView name) {
    if (name.size() == 1 && name[0] >= u'0' && name[0] <= u'9')
        return InputCommand::Key(vk::Digit0 + (name[0].unicode() - u'0'));
    for (const PhoneButton& button : kButtons) {
        if (name == QStringView(button.name))
            return button.command;
    }
    return std::nullopt;
}
