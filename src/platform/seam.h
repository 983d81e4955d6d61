#pragma once

#include <optional>
#include <utility>

// The one way a test stands in for a part that cannot run headless (a nested event loop, a
// message box, the system's folder dialog, sound and video outputs) where that part is reached from
// anywhere rather than given by an owner: the program always runs the part's own behaviour, and a
// stand-in replaces it only while an Override lives, which then restores what was there before.
template <typename T> class Seam {
public:
    // The stand-in, or nothing while the program's own part runs.
    const std::optional<T>& StandIn() const { return standIn_; }

    class Override {
    public:
        Override(Seam& seam, T standIn)
            : seam_(seam), previous_(std::exchange(seam.standIn_, std::move(standIn))) {}
        ~Override() { seam_.standIn_ = std::move(previous_); }
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;

    private:
        Seam& seam_;
        std::optional<T> previous_;
    };

private:
    std::optional<T> standIn_;
};
