#include "filemenu/category.h"

#include "platform/error.h"

#include <array>

namespace {
constexpr std::array<CategoryInfo, 3> kCategories{{
    {1, "my Video", "Video", "mpg,mpeg,avi,wpl", "58203714", 1, false},
    {2, "my Music", "Music", "wav,wma,mp3,m3u,mid", "69314825", 2, false},
    {3, "my Picture", "Picture", "bmp,wmf,emf,jpg,jpeg", "70425936", 3, true},
}};

std::array<bool, 3>& LockStates() {
    static std::array<bool, 3> states{true, true, true};
    return states;
}
} // namespace

bool IsFileCategory(int category) {
    return category >= kFirstCategory && category <= kLastCategory;
}

const CategoryInfo& CategoryTable(int category) {
    if (!IsFileCategory(category))
        throw AppError(QStringLiteral("Unknown category %1").arg(category));
    return kCategories[category - 1];
}

bool LockState(int category) {
    return LockStates()[CategoryTable(category).category - 1];
}

void SetLockState(int category, bool locked) {
    LockStates()[CategoryTable(category).category - 1] = locked;
}
