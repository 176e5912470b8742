#pragma once

#include "app/reticle/ReticleControl.h"

#include <string>
#include <vector>

namespace zentrivo::test {

/// Records what the reticle is told, as compact strings ("show", "show 40", "moved 10,20",
/// "dismiss perform", "dismiss cancel"), whole points only, so that a test can compare sequences.
struct RecordingReticleControl final : ReticleControl {
    void show(std::optional<float> minDist) override {
        calls.push_back(minDist ? "show " + std::to_string(int(*minDist)) : "show");
    }
    bool cursorMoved(Point to) override {
        calls.push_back("moved " + std::to_string(int(to.x)) + "," + std::to_string(int(to.y)));
        return true;
    }
    void dismiss(bool performAction) override {
        calls.push_back(performAction ? "dismiss perform" : "dismiss cancel");
    }

    std::vector<std::string> calls;
};

} // namespace zentrivo::test
