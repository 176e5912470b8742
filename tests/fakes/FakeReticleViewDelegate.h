#pragma once

#include "app/reticle/ReticleViewDelegate.h"

#include <vector>

namespace zentrivo::test {

/// Stands in for the reticle manager behind a view: keeps the selection and the far flag, and
/// records what the view asks of it.
class FakeReticleViewDelegate final : public ReticleViewDelegate {
public:
    std::optional<Directional> directional() const override { return selected; }
    void setDirectional(std::optional<Directional> position) override { selected = position; }
    bool far() const override { return isFar; }
    void setFar(bool far) override {
        isFar = far;
        farChanges.push_back(far);
    }
    std::optional<Point> reticleWindowPosition() const override { return windowPosition; }
    void windowAppeared(Rect frame) override { appearedFrames.push_back(frame); }
    void setIsReceivingDrag(bool receiving) override { receivingDrag = receiving; }
    void slotReplacedByDrop() override { ++replacedByDrop; }
    void dismiss(bool performAction) override { dismissals.push_back(performAction); }

    std::optional<Directional> selected;
    bool isFar = false;
    std::optional<Point> windowPosition;
    bool receivingDrag = false;
    int replacedByDrop = 0;
    std::vector<bool> farChanges;
    std::vector<Rect> appearedFrames;
    std::vector<bool> dismissals;
};

} // namespace zentrivo::test
