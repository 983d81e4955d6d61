#pragma once

#include "phone/phone_response.h"

#include <QStringView>

#include <optional>

// The remote control page's files, built into the program (page/): "/" is the page, "/remote.js"
// its script and "/remote.css" its style sheet; nothing for any other path.
std::optional<PhoneResponse> PhonePageFile(QStringView path);
