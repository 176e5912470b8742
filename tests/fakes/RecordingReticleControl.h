#pragma once

#include "app/reticle/ReticleControl.h"

#include <charconv>
#include <string>
#include <vector>

namespace zentrivo::test {

/// Records what the reticle is told, as compact strings ("show", "show 40", "moved 10,20",
/// "dismiss perform", "dismiss cancel") so that a test can compare whole sequences.
class RecordingReticleControl final : public ReticleControl {
public:
    void show(std::optional<float> minDist) override {
        calls.push_back(minDist ? "show " + text(*minDist) : "show");
    }
    bool cursorMoved(Point to) override {
        calls.push_back("moved " + text(to.x) + "," + text(to.y));
        return true;
    }
    void dismiss(bool performAction) override {
        calls.push_back(performAction ? "dismiss perform" : "dismiss cancel");
    }

    std::vector<std::string> calls;

private:
    static std::string text(double value) {
        char buffer[32];
        return {buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr};
    }
};

} // namespace zentrivo::test
