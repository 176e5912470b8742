#pragma once

#include "app/reticle/ReticleViewDelegate.h"

namespace zentrivo::test {

/// Stands in for the reticle manager behind a view on the near panel: keeps the selection.
class FakeReticleViewDelegate final : public ReticleViewDelegate {
public:
    std::optional<Directional> directional() const override { return selected; }
    void setDirectional(std::optional<Directional> position) override { selected = position; }
    bool far() const override { return false; }
    void setFar(bool) override {}
    std::optional<Point> reticleWindowPosition() const override { return std::nullopt; }
    void windowAppeared(Rect) override {}
    void setIsReceivingDrag(bool receiving) override { receivingDrag = receiving; }
    void slotReplacedByDrop() override { ++replacedByDrop; }
    void dismiss(bool) override {}

    std::optional<Directional> selected;
    /// The last drag state a slot reported, and how often a drop replaced a slot.
    bool receivingDrag = false;
    int replacedByDrop = 0;
};

} // namespace zentrivo::test
