#pragma once

#include <functional>

class QDialog;

// Shows a dialog or screen modally and returns its result (QDialog::exec). Tests replace the way
// screens are run with a hook, so that a screen can be driven without a nested event loop blocking.
int ExecModal(QDialog& dialog);

using ModalHook = std::function<int(QDialog& dialog)>;
// Installs the hook (an empty one restores QDialog::exec); returns the previous hook.
ModalHook SetModalHook(ModalHook hook);
