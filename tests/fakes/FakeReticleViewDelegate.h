#pragma once

#include "app/reticle/ReticleViewDelegate.h"

#include <vector>

namespace zentrivo::test {

/// Stands in for the reticle manager behind a view on the near panel: keeps the selection and
/// records the frames reported and the dismissals asked for.
class FakeReticleViewDelegate final : public ReticleViewDelegate {
public:
    std::optional<Directional> directional() const override { return selected; }
    void setDirectional(std::optional<Directional> position) override { selected = position; }
    bool far() const override { return false; }
    void setFar(bool) override {}
    std::optional<Point> reticleWindowPosition() const override { return std::nullopt; }
    void windowAppeared(Rect frame) override { appearedFrames.push_back(frame); }
    void setIsReceivingDrag(bool) override {}
    void slotReplacedByDrop() override {}
    void dismiss(bool performAction) override { dismissals.push_back(performAction); }

    std::optional<Directional> selected;
    std::vector<Rect> appearedFrames;
    std::vector<bool> dismissals;
};

} // namespace zentrivo::test
