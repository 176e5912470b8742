#pragma once

#include "app/reticle/ReticleView.h"
#include "app/reticle/SlotContainers.h"

#include <vector>

namespace zentrivo::test {

/// A reticle view in memory that records what it is told.
class FakeReticleView final : public ReticleView {
public:
    void setDelegate(ReticleViewDelegate*) override {}
    void highlight(std::optional<Directional> position) override { highlighted = position; }
    void clearHighlight() override { highlighted.reset(); }
    void hideHighlight(Directional position) override {
        if (highlighted == position)
            highlighted.reset();
    }
    void pulseHighlight() override { ++pulseCount; }
    void reloadSlots(bool far) override { reloads.push_back(far); }
    void showCentreApp(const std::optional<RunningApp>& app) override { centreApps.push_back(app); }
    void clearCentreImage() override { ++clearCentreCount; }
    void arrowNavigate(Directional d) override { arrows.push_back(d); }
    std::optional<Directional> slotWithImageAt(Point windowPoint) const override {
        return containers.hit(windowPoint);
    }

    SlotContainers containers;

    std::optional<Directional> highlighted;
    int pulseCount = 0;
    std::vector<bool> reloads;
    std::vector<std::optional<RunningApp>> centreApps;
    int clearCentreCount = 0;
    std::vector<Directional> arrows;
};

} // namespace zentrivo::test
