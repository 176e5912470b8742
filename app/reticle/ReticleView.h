#pragma once

#include "app/apps/Workspace.h"
#include "app/core/Geometry.h"
#include "app/model/Directional.h"

#include <optional>

namespace zentrivo {

class ReticleViewDelegate;

/// The content of the reticle window: nine slots in a three-by-three grid, a highlight behind the
/// selected one. The reticle manager drives it; it reads the panels from the panel model itself.
/// Every call happens on the main thread and none of them fails.
class ReticleView {
public:
    ReticleView() = default;
    virtual ~ReticleView() = default;
    ReticleView(const ReticleView&) = delete;
    ReticleView& operator=(const ReticleView&) = delete;

    /// The manager, set each time the reticle is shown; the view passes it on to its slot
    /// buttons. Never null once set; the manager outlives the view's use of it.
    virtual void setDelegate(ReticleViewDelegate* delegate) = 0;

    /// Clears every highlight, then shows the one of `position` when that slot has an action
    /// and an image. None only clears.
    virtual void highlight(std::optional<Directional> position) = 0;
    /// Hides every highlight.
    virtual void clearHighlight() = 0;
    /// Hides the highlight of one slot.
    virtual void hideHighlight(Directional position) = 0;
    /// Flashes every highlight that is showing (a hover performed its slot).
    virtual void pulseHighlight() = 0;
    /// Reloads icons, image flags and running marks for the near (`far` false) or far panel.
    virtual void reloadSlots(bool far) = 0;
    /// Shows `app`'s icon on the centre button (a generic last-application image when it has no
    /// bundle path; no image for none).
    virtual void showCentreApp(const std::optional<RunningApp>& app) = 0;
    /// Removes the centre button's image.
    virtual void clearCentreImage() = 0;
    /// Moves the selection for an arrow key: `t`, `l`, `r` or `b` for up, left, right, down (see
    /// `navigateArrow`). Does nothing before a delegate is set.
    virtual void arrowNavigate(Directional arrow) = 0;

    /// The slot whose container shows an image and contains `windowPoint` (window coordinates,
    /// y-up, as `ReticleWindow::mouseLocationInWindow`), or none. Called on every pointer move:
    /// must not allocate (see `SlotContainers`).
    virtual std::optional<Directional> slotWithImageAt(Point windowPoint) const = 0;
};

} // namespace zentrivo
