#pragma once

#include "platform/screen_input.h"

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Report codes of the remote's buttons.
namespace report {
constexpr quint32 Video = 0x00048000;
constexpr quint32 Music = 0x00040800;
constexpr quint32 Pictures = 0x00041000;
constexpr quint32 Files = 0x00042000;
constexpr quint32 Progress = 0x03000002;
} // namespace report

// The four report bytes whose code is the given one (how a button that arrives as a key is handed
// on).
QByteArray ReportFromCode(quint32 code);

// Folds the first report of a HID message into its 32-bit code: its last four bytes read
// big-endian. A message that is not HID, or carries no report, yields nothing.
std::optional<quint32> FetchRemoteReport(const RawInputMessage& message);
