#include "platform/modal.h"

#include <QDialog>

Seam<ModalHook>& ModalSeam() {
    static Seam<ModalHook> seam;
    return seam;
}

int ExecModal(QDialog& dialog) {
    if (const auto& hook = ModalSeam().StandIn())
        return (*hook)(dialog);
    return dialog.exec();
}
