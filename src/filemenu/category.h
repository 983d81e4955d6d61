#pragma once

#include <QString>

// What the folder list screen takes from a category (1 Video, 2 Music, 3 Picture).
struct CategoryInfo {
    int category;
    const char* titleCaption;
    const char* keyName;
    const char* defaultExtensions;
    const char* defaultUnlockCode;
    int playlistKind; // 1 ".wpl", 2 ".m3u", 3 ".lst"
    bool useViewer;   // pictures go to the viewer, the rest to the player
};

constexpr int kFirstCategory = 1;
constexpr int kLastCategory = 3;

bool IsFileCategory(int category);
// The table row of a category; raises AppError for a number outside 1..3.
const CategoryInfo& CategoryTable(int category);

// Per category, for the whole run: set means locked folders are hidden.
bool LockState(int category);
void SetLockState(int category, bool locked);
