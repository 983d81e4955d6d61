#pragma once

#include <QByteArray>
#include <QList>

class SettingsStore;

// The phones paired with the phone remote, as the store keeps them (its switch is the typed setting
// setting::PhoneRemote). The settings dialog forgets them here, without the server.

// A paired phone is kept as the SHA-256 hash of its session secret, never the secret itself, so
// that a copy of the settings file pairs nobody. The most recent kMaxPairedPhones are kept.
constexpr qsizetype kSessionHashBytes = 32;
constexpr qsizetype kMaxPairedPhones = 16;
QList<QByteArray> PairedPhoneHashes(SettingsStore& store);
void AddPairedPhoneHash(SettingsStore& store, const QByteArray& hash);
// Every phone must pair again. Connected phones are let go at their next message or now-playing
// push; raises AppError when the store cannot forget them.
void ForgetPairedPhones(SettingsStore& store);
