#pragma once

#include "app/reticle/ReticleControl.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zentrivo::test {

/// Records what the reticle is told, as compact strings ("show", "show 40", "moved 10,20",
/// "dismiss perform", "dismiss cancel") so that a test can compare whole sequences.
class RecordingReticleControl final : public ReticleControl {
public:
    void show(std::optional<float> minDist) override {
        calls.push_back(minDist ? "show " + number(*minDist) : "show");
    }
    bool cursorMoved(Point to) override {
        calls.push_back("moved " + number(to.x) + "," + number(to.y));
        return displayed;
    }
    void dismiss(bool performAction) override {
        calls.push_back(performAction ? "dismiss perform" : "dismiss cancel");
    }

    /// Takes the calls recorded so far.
    std::vector<std::string> take() { return std::exchange(calls, {}); }

    std::vector<std::string> calls;
    /// What `cursorMoved` answers.
    bool displayed = true;

private:
    static std::string number(double value) {
        std::string text = std::to_string(value);
        text.erase(text.find_last_not_of('0') + 1);
        if (!text.empty() && text.back() == '.')
            text.pop_back();
        return text;
    }
};

} // namespace zentrivo::test
