#include "input/duplicate_filter.h"

#include "input/app_command.h"

#include <algorithm>

bool DuplicateFilter::Admit(Kind kind, quint32 value, InputPath path, qint64 nowMs) {
    if (kind == Kind::Command)
        value = static_cast<quint32>(SamePressCommand(static_cast<int>(value)));
    std::erase_if(recent_, [nowMs](const Delivery& d) { return nowMs - d.time > kWindowMs; });
    const auto same = [&](const Delivery& d) { return d.kind == kind && d.value == value; };
    if (std::any_of(recent_.begin(), recent_.end(),
                    [&](const Delivery& d) { return same(d) && d.path != path; }))
        return false;
    std::erase_if(recent_, same);
    recent_.push_back({kind, value, path, nowMs});
    return true;
}
