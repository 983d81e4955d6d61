#include "settings/phone_remote.h"

#include "settings/general.h"
#include "settings/store.h"

namespace {
// All hashes in one binary value, oldest first.
const QString kSessionsValue = QStringLiteral("Sessions");
} // namespace

QList<QByteArray> PairedPhoneHashes(SettingsStore& store) {
    if (store.RunsOnDefaults())
        return {};
    const auto value = store.ReadValue(RootKey::CurrentUser, settingskey::Phones, kSessionsValue);
    if (!value || value->kind != ValueKind::Binary)
        return {};
    QList<QByteArray> hashes;
    // A damaged tail shorter than a hash names no phone.
    for (qsizetype at = 0; at + kSessionHashBytes <= value->data.size(); at += kSessionHashBytes)
        hashes.append(value->data.mid(at, kSessionHashBytes));
    return hashes;
}

void AddPairedPhoneHash(SettingsStore& store, const QByteArray& hash) {
    if (store.RunsOnDefaults())
        return;
    QList<QByteArray> hashes = PairedPhoneHashes(store);
    hashes.append(hash);
    if (hashes.size() > kMaxPairedPhones)
        hashes.remove(0, hashes.size() - kMaxPairedPhones);
    store.SetValue(RootKey::CurrentUser, settingskey::Phones, kSessionsValue, ValueKind::Binary,
                   hashes.join());
}

void ForgetPairedPhones(SettingsStore& store) {
    if (store.RunsOnDefaults())
        return;
    store.WriteAtomically([&] {
        if (const auto key = store.FindKey(RootKey::CurrentUser, settingskey::Phones))
            store.EraseKey(*key);
    });
}
