#include "settings/refused_writes.h"

#include "platform/clock.h"
#include "platform/message_box.h"
#include "settings/store.h"

#include <cstdio>

RefusedWrites::RefusedWrites(SettingsStore& store, Clock& clock)
    : store_(store), clock_(clock), previousLockWait_(store.LockWait()) {
    store_.SetLockWait(kLockWait);
    store_.SetRefusalListener([this] { Refused(); });
}

RefusedWrites::~RefusedWrites() {
    store_.SetRefusalListener({});
    store_.SetLockWait(previousLockWait_);
}

QString RefusedWrites::NotSaved(const QStringList& what, const QString& why) {
    //: %1 lists what was not saved ("Volume, where film.mkv was left"), %2 says why ("the disk
    //: is full").
    return tr("Not saved: %1 (%2).").arg(what.join(QStringLiteral(", ")), why);
}

void RefusedWrites::Refused() {
    const unsigned round = ++round_;
    // Told once the handler that wrote is done: the message names all it could not save.
    clock_.CallAfter(std::chrono::milliseconds(0), this, [this, round] {
        if (round != round_ || !store_.HoldsWrites())
            return;
        ShowMessage(MessageKind::Warning,
                    NotSaved(store_.HeldLabels(), store_.HeldReason()) + u'\n' +
                        tr("It is kept, and saved as soon as the settings file can be written "
                           "again."));
    });
    TryLater(round);
}

void RefusedWrites::TryLater(unsigned round) {
    clock_.CallAfter(kRetry, this, [this, round] {
        if (round != round_)
            return;
        try {
            if (store_.WriteHeld())
                return;
        } catch (const AppError& error) {
            // Not a refusal: trying again would not help. What is held stays readable.
            std::fprintf(stderr, "couchframe: %s\n", qPrintable(error.message()));
            return;
        }
        TryLater(round);
    });
}

void RefusedWrites::LastTry() {
    ++round_;
    if (!store_.HoldsWrites())
        return;
    store_.SetLockWait(kLastLockWait);
    try {
        if (store_.WriteHeld())
            return;
    } catch (const AppError&) {
    }
    std::fprintf(stderr, "couchframe: %s\n",
                 qPrintable(NotSaved(store_.HeldLabels(), store_.HeldReason())));
}
