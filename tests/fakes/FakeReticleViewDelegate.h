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
    void setIsReceivingDrag(bool) override {}
    void slotReplacedByDrop() override {}
    void dismiss(bool) override {}

    std::optional<Directional> selected;
};

} // namespace zentrivo::test
