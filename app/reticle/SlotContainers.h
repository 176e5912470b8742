#pragma once

#include "app/core/Geometry.h"
#include "app/model/Directional.h"

#include <array>
#include <optional>

namespace zentrivo {

/// The nine slot containers as the in-slot test sees them: each one's frame in window coordinates
/// and whether its button shows an image. A view keeps one up to date and answers
/// `ReticleView::slotWithImageAt` from it without allocating.
class SlotContainers {
public:
    void setFrame(Directional position, Rect frame) { slots[index(position)].frame = frame; }
    void setHasImage(Directional position, bool hasImage) {
        slots[index(position)].hasImage = hasImage;
    }
    Rect frame(Directional position) const { return slots[index(position)].frame; }
    bool hasImage(Directional position) const { return slots[index(position)].hasImage; }

    /// The first slot, in `allDirections` order, with an image whose frame contains the point
    /// (left and top edges inside, right and bottom edges outside, as `Rect::contains`).
    std::optional<Directional> hit(Point windowPoint) const {
        for (Directional d : allDirections) {
            const Slot& slot = slots[index(d)];
            if (slot.hasImage && slot.frame.contains(windowPoint))
                return d;
        }
        return std::nullopt;
    }

private:
    struct Slot {
        Rect frame;
        bool hasImage = false;
    };
    static constexpr std::size_t index(Directional d) {
        return static_cast<std::size_t>(rawValue(d) - 1);
    }
    std::array<Slot, 9> slots{};
};

} // namespace zentrivo
