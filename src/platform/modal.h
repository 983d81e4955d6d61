#pragma once

#include "platform/seam.h"

#include <functional>

class QDialog;

// Shows a dialog or screen modally and returns its result (QDialog::exec). A stand-in in the seam
// runs screens instead, so that a test can drive one without a nested event loop blocking.
int ExecModal(QDialog& dialog);

using ModalHook = std::function<int(QDialog& dialog)>;
Seam<ModalHook>& ModalSeam();
