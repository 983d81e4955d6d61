#pragma once

#include <QByteArray>

class SettingsStore;

// The settings store as .reg text, the registry editor's format: backup, scripted set-up, tests.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Quor\Couchframe\System]
//   "ExitCode"="81536047"
//   "ActiveDelay"=dword:0000000a
//
// Values: "text" (with \\ and \" escapes), dword:, hex: (binary), hex(2): (expandable text as
// UTF-16LE with its terminating NUL), hex(N): any other kind; @ names a key's default value.
// [-KEY] deletes a key with everything below it, "Name"=- deletes a value.

// Every key of the store, empty ones included, as UTF-8 .reg text: keys in tree order (a key
// before its sub-keys, siblings by name ignoring case), each key's values by name.
QByteArray ExportSettings(SettingsStore& store);

// Applies .reg text (UTF-8, or UTF-16LE with its byte-order mark as the registry editor writes it)
// to the store as one transaction. A malformed file changes nothing; the AppError names the line.
void ImportSettings(SettingsStore& store, const QByteArray& content);
