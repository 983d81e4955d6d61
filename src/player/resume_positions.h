#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Where a video was left, so that opening the same file again goes on from there. Positions live in
// the settings store under "Settings\Resume" (path hash -> whole seconds, REG_DWORD); the order
// they were saved in, for dropping the oldest, under "Settings\Resume\Order" (path hash ->
// sequence).
namespace resume {
inline constexpr int kMaxEntries = 500;
// A position is kept only between these shares of the length: before, nothing was watched; after,
// only the credits are left.
inline constexpr double kFirstShare = 0.05;
inline constexpr double kLastShare = 0.92;

bool WorthKeeping(double position, double duration);

// The stored position of the file, in seconds; nothing when none is stored.
std::optional<int> StoredPosition(const QByteArray& path);
// Stores the position when it is worth keeping (dropping the oldest entries beyond
// kMaxEntries), else forgets any stored one: a film watched to its credits starts afresh.
void Remember(const QByteArray& path, double position, double duration);
void Forget(const QByteArray& path);

// The store's name for the file: the SHA-1 of its path bytes in hex.
QString PathKey(const QByteArray& path);
// "Resumed at 12:34 — Ctrl+B starts over" ("1:02:03" past an hour).
QString ResumeNote(int seconds);
} // namespace resume
