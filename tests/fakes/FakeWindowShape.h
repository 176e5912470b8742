#pragma once

#include "app/reticle/WindowShape.h"

#include <optional>
#include <utility>

namespace zentrivo::test {

/// Records the shape each window was given; none for a whole window.
class FakeWindowShape final : public WindowShape {
public:
    void setShape(std::uint64_t window, const std::vector<ShapeRect>& drawn,
                  const std::vector<ShapeRect>& input) override {
        lastWindow = window, shape = std::pair{drawn, input}, ++requests;
    }
    void clearShape(std::uint64_t window) override {
        lastWindow = window, shape.reset(), ++requests;
    }

    std::uint64_t lastWindow = 0;
    std::optional<std::pair<std::vector<ShapeRect>, std::vector<ShapeRect>>> shape;
    int requests = 0;
};

} // namespace zentrivo::test
