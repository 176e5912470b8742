#pragma once

#include <QColor>

namespace zentrivo::slotDecorations {

/// The highlight behind the selected slot. With the backing on it is the dark appearance's
/// tertiary label colour (white at 25 %) or black at 20 %; without it, an opaque-looking grey:
/// white 0.8 at 80 % (dark) or white 0.7 at 90 % (light).
QColor highlightColor(bool dark, bool background);
/// A highlight flash after a hover performed its slot: the system blue at 80 %.
QColor flashColor(bool dark);
/// The running mark under a slot: the secondary label colour at 70 %.
QColor launchedMarkColor(bool dark);
/// The backing behind the whole panel.
QColor backingColor(bool dark);
/// An empty slot without the backing: white at 0.2 %, invisible yet painted, so the slot
/// still takes drops and the hover.
QColor emptySlotColor();

/// The highlight's corner radius, in pixels.
constexpr double highlightRadius = 5.0;

} // namespace zentrivo::slotDecorations
