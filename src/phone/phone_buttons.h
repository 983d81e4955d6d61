#pragma once

#include "input/input_command.h"

#include <QStringView>

#include <optional>

// The command behind each button of the phone's page, by the name the page sends ("Up",
// "Play/Pause", "7"); nothing for a name the page does not have.
std::optional<InputCommand> PhoneButtonCommand(QStringView name);
