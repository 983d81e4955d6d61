#pragma once

#include <QtGlobal>

// A remote's category buttons arrive as keys where its driver turns them into key codes; they act
// as the report codes the same buttons send as raw reports. Both return 0 for any other key.

// The report code of a Qt key (what the display server delivers).
quint32 CategoryReportFromQtKey(int qtKey);
// The report code of a Linux input key code that the display server cannot deliver (X11 passes
// no code above 247), read from the remote's own event device.
quint32 CategoryReportFromEventKey(int keyCode);
