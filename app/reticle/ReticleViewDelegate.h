#pragma once

#include "app/core/Geometry.h"
#include "app/model/Directional.h"

#include <optional>

namespace zentrivo {

/// What the reticle's view and its slot buttons ask of the reticle manager, their `delegate`.
/// The manager hands itself to the view each time the reticle is shown.
class ReticleViewDelegate {
public:
    ReticleViewDelegate() = default;
    virtual ~ReticleViewDelegate() = default;
    ReticleViewDelegate(const ReticleViewDelegate&) = delete;
    ReticleViewDelegate& operator=(const ReticleViewDelegate&) = delete;

    /// The selected slot: the one a release performs. None when nothing is selected.
    virtual std::optional<Directional> directional() const = 0;
    /// Selects a slot (or nothing) without touching the view; the caller highlights.
    virtual void setDirectional(std::optional<Directional> position) = 0;

    /// True while the far panel is showing.
    virtual bool far() const = 0;
    /// Switches panels: plays the haptic when switching to the far panel (unless switched off)
    /// and makes the view reload its slots for the new panel.
    virtual void setFar(bool far) = 0;

    /// Where the manager last asked the window to go; none before the first centring.
    virtual std::optional<Point> reticleWindowPosition() const = 0;
    /// To be called once the window is on screen, with its real frame. When the window system
    /// placed it elsewhere than asked, directions are measured from the window's real centre.
    virtual void windowAppeared(Rect frame) = 0;

    /// A drag entered (true) or left (false) a slot. Entering clears the selection and hides
    /// its highlight.
    virtual void setIsReceivingDrag(bool receiving) = 0;
    /// A dropped application replaced a slot: the selection, the hover and the highlight are
    /// cleared. The view reloads its own slot images.
    virtual void slotReplacedByDrop() = 0;

    /// Closes the reticle; a click on a slot passes true to perform the selected slot.
    virtual void dismiss(bool performAction) = 0;
};

} // namespace zentrivo
