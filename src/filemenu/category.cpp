#include "filemenu/category.h"

#include "settings/schema.h"

#include <array>

namespace {
constexpr std::array<CategoryInfo, 3> kCategories{{
    {1, QT_TRANSLATE_NOOP("FileMenu", "my Video"), 1, false},
    {2, QT_TRANSLATE_NOOP("FileMenu", "my Music"), 2, false},
    {3, QT_TRANSLATE_NOOP("FileMenu", "my Picture"), 3, true},
}};

std::array<bool, 3>& LockStates() {
    static std::array<bool, 3> states{true, true, true};
    return states;
}
} // namespace

const CategoryInfo& CategoryTable(int category) {
    return kCategories[CategorySchema(category).category - 1];
}

bool LockState(int category) {
    return LockStates()[CategoryTable(category).category - 1];
}

void SetLockState(int category, bool locked) {
    LockStates()[CategoryTable(category).category - 1] = locked;
}
