#pragma once

#include "platform/modal.h"

// Runs every modal dialog and screen through the given hook while it lives.
class ModalHookScope : public Seam<ModalHook>::Override {
public:
    explicit ModalHookScope(ModalHook hook) : Override(ModalSeam(), std::move(hook)) {}
};
