#pragma once

#include "app/model/Directional.h"

#include <optional>

namespace zentrivo {

class ReticleSpecModel;
class ReticleViewDelegate;

/// Where one arrow key leads from a selection: the new position (none clears the selection) and
/// whether the far panel is then showing.
struct ArrowTarget {
    std::optional<Directional> position;
    bool far = false;
    bool operator==(const ArrowTarget&) const = default;
};

/// The arrow tables of the near (`far` false) and far panels. `current` none and `c` count alike;
/// `arrow` is `t`, `l`, `r` or `b` (up, left, right, down). Any other arrow leaves everything as
/// it is. An arrow pointing away from the centre moves along the ring or out to the far panel; one
/// pointing back returns from the far panel to the same position, or on the near panel clears the
/// selection.
ArrowTarget arrowTarget(std::optional<Directional> current, bool far, Directional arrow);

/// What one arrow key does to the selection, after the panel rules.
struct ArrowStep {
    /// The far flag to show; it differs from the current one only with a configured far panel.
    bool far = false;
    /// Whether the selection moves to `position` (and is highlighted there); false leaves it.
    bool select = false;
    std::optional<Directional> position;
    bool operator==(const ArrowStep&) const = default;
};

/// `arrowTarget` under the panel rules: without a configured far panel the far flag never
/// changes; on the far panel, or when the target is none, the selection always moves; on the
/// near panel it moves only onto a slot that holds an action.
ArrowStep arrowStep(std::optional<Directional> current, bool far, Directional arrow,
                    const ReticleSpecModel& model);

/// Applies `arrowStep` to the manager behind `delegate` (switching panels through `setFar`,
/// then moving the selection). Returns whether the caller must highlight the new selection,
/// which is then `delegate.directional()`.
bool navigateArrow(ReticleViewDelegate& delegate, Directional arrow, const ReticleSpecModel& model);

} // namespace zentrivo
