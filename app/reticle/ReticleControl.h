#pragma once

#include "app/core/Geometry.h"

#include <optional>

namespace zentrivo {

/// What the gesture coordinator (and the command URLs) tell the reticle: show it at the cursor,
/// the cursor moved, and go away. `ReticleManager` implements it.
class ReticleControl {
public:
    ReticleControl() = default;
    virtual ~ReticleControl() = default;
    ReticleControl(const ReticleControl&) = delete;
    ReticleControl& operator=(const ReticleControl&) = delete;

    /// Centres the reticle on the cursor and displays it, or arms it to display once the cursor
    /// has travelled `minDist` points (none: the reticle's own setting). Called again while the
    /// reticle is up, it re-centres it.
    virtual void show(std::optional<float> minDist) = 0;
    /// The cursor's current position in global y-up coordinates. Returns whether the reticle is
    /// displayed after this step (false when there is no gesture).
    virtual bool cursorMoved(Point to) = 0;
    /// Hides the reticle and, when `performAction` is true and a slot is selected, performs it.
    /// Harmless when no reticle is shown.
    virtual void dismiss(bool performAction) = 0;
};

} // namespace zentrivo
