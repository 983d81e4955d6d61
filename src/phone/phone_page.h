#pragma once

#include "phone/phone_response.h"

#include <QStringView>

#include <optional>

// The remote control page's files, built into the program (page/): "/" is the page, "/remote.js"
// its script (a module, which imports the others: the set-up's among them) and "/remote.css" and
// "/setup.css" its style sheets; nothing for any other path.
std::optional<PhoneResponse> PhonePageFile(QStringView path);
