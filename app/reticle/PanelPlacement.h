#pragma once

#include "app/core/Geometry.h"

#include <vector>

namespace zentrivo {

/// Where the reticle's panel goes: centred on `cursor` (its origin rounded down to whole units,
/// as the manager centres it), then moved the least distance that puts it wholly inside the
/// monitor under the cursor, so a panel summoned at a screen edge or corner is still all visible
/// and never straddles two monitors. A cursor on no monitor (in a gap between monitors of
/// different sizes) counts as on the nearest one. A panel larger than its monitor keeps the
/// monitor's left and top edges. Without monitors the panel stays centred on the cursor.
///
/// `monitors` and `cursor` are in the global y-up coordinates of `Geometry.h`; the result is the
/// panel's frame in the same coordinates.
Rect placePanel(const std::vector<Rect>& monitors, Point cursor, Size size);

} // namespace zentrivo
