#include "filemenu/category.h"

#include "settings/schema.h"

#include <array>

namespace {
constexpr std::array<CategoryInfo, 3> kCategories{{
    {1, QT_TRANSLATE_NOOP("FileMenu", "my Video"), 1, false},
    {2, QT_TRANSLATE_NOOP("FileMenu", "my Music"), 2, false},
    {3, QT_TRANSLATE_NOOP("FileMenu", "my Picture"), 3, true},
}};
} // namespace

const CategoryInfo& CategoryTable(int category) {
    return kCategories[CategorySchema(category).category - 1];
}

bool CategoryLocks::LockState(int category) const {
    return states_[static_cast<size_t>(CategoryTable(category).category - 1)];
}

void CategoryLocks::SetLockState(int category, bool locked) {
    states_[static_cast<size_t>(CategoryTable(category).category - 1)] = locked;
}
