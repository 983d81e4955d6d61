#pragma once

#include <array>

// What the folder list screen takes from a category (1 Video, 2 Music, 3 Picture) besides its
// settings.
struct CategoryInfo {
    int category;
    // Shown through the "FileMenu" translation context.
    const char* titleCaption;
    int playlistKind; // 1 ".wpl", 2 ".m3u", 3 ".lst"
    bool useViewer;   // pictures go to the viewer, the rest to the player
};

// The table row of a category; raises AppError for a number outside 1..3.
const CategoryInfo& CategoryTable(int category);

// LockState: per category, for the whole run; set means locked folders are hidden. One per run,
// made in main() and handed to the folder lists.
class CategoryLocks {
public:
    bool LockState(int category) const;
    void SetLockState(int category, bool locked);

private:
    std::array<bool, 3> states_{true, true, true};
};
