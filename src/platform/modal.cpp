#include "platform/modal.h"

#include <QDialog>

namespace {
ModalHook& Hook() {
    static ModalHook hook;
    return hook;
}
} // namespace

ModalHook SetModalHook(ModalHook hook) {
    ModalHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

int ExecModal(QDialog& dialog) {
    if (Hook())
        return Hook()(dialog);
    return dialog.exec();
}
