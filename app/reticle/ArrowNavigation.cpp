#include "ArrowNavigation.h"

#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ReticleViewDelegate.h"

#include <array>

namespace zentrivo {
namespace {

using D = Directional;

struct Cell {
    std::optional<Directional> position;
    bool flip = false; // the far flag changes: out to the far panel, or back to the near one
};

// One row per current position (none or `c` first, then `tl` ... `br`), one column per arrow:
// up, left, right, down.
using Table = std::array<std::array<Cell, 4>, 9>;

constexpr Table nearTable{{
    {{{D::t}, {D::l}, {D::r}, {D::b}}},
    /* tl */ {{{D::tl, true}, {D::tl, true}, {D::t}, {D::l}}},
    /* t  */ {{{D::t, true}, {D::tl}, {D::tr}, {std::nullopt}}},
    /* tr */ {{{D::tr, true}, {D::t}, {D::tr, true}, {D::r}}},
    /* l  */ {{{D::tl}, {D::l, true}, {std::nullopt}, {D::bl}}},
    /* r  */ {{{D::tr}, {std::nullopt}, {D::r, true}, {D::br}}},
    /* bl */ {{{D::l}, {D::bl, true}, {D::b}, {D::bl, true}}},
    /* b  */ {{{std::nullopt}, {D::bl}, {D::br}, {D::b, true}}},
    /* br */ {{{D::r}, {D::b}, {D::br, true}, {D::br, true}}},
}};

constexpr Table farTable{{
    {{{D::t}, {D::l}, {D::r}, {D::b}}},
    /* tl */ {{{D::tl}, {D::tl}, {D::t}, {D::l}}},
    /* t  */ {{{D::t}, {D::tl}, {D::tr}, {D::t, true}}},
    /* tr */ {{{D::tr}, {D::t}, {D::tr}, {D::r}}},
    /* l  */ {{{D::tl}, {D::l}, {D::l, true}, {D::bl}}},
    /* r  */ {{{D::tr}, {D::r, true}, {D::r}, {D::br}}},
    /* bl */ {{{D::l}, {D::bl}, {D::b}, {D::bl}}},
    /* b  */ {{{D::b, true}, {D::bl}, {D::br}, {D::b}}},
    /* br */ {{{D::r}, {D::b}, {D::br}, {D::br}}},
}};

std::optional<std::size_t> column(Directional arrow) {
    switch (arrow) {
    case D::t:
        return 0;
    case D::l:
        return 1;
    case D::r:
        return 2;
    case D::b:
        return 3;
    default:
        return std::nullopt;
    }
}

std::size_t row(std::optional<Directional> current) {
    if (!current || *current == D::c)
        return 0;
    return static_cast<std::size_t>(rawValue(*current));
}

} // namespace

ArrowTarget arrowTarget(std::optional<Directional> current, bool far, Directional arrow) {
    const auto col = column(arrow);
    if (!col)
        return {current, far};
    const Cell& cell = (far ? farTable : nearTable)[row(current)][*col];
    return {cell.position, cell.flip ? !far : far};
}

ArrowStep arrowStep(std::optional<Directional> current, bool far, Directional arrow,
                    const ReticleSpecModel& model) {
    if (!column(arrow))
        return {far, false, current};
    const ArrowTarget target = arrowTarget(current, far, arrow);
    const bool newFar = model.anyFarSpecConfigured() ? target.far : far;
    // On the near panel an empty slot is skipped over: the selection stays where it was.
    const bool select =
        newFar || !target.position || model.mainSpec().slot(*target.position).has_value();
    return {newFar, select, target.position};
}

bool navigateArrow(ReticleViewDelegate& delegate, Directional arrow,
                   const ReticleSpecModel& model) {
    const ArrowStep step = arrowStep(delegate.directional(), delegate.far(), arrow, model);
    if (step.far != delegate.far())
        delegate.setFar(step.far);
    if (!step.select)
        return false;
    delegate.setDirectional(step.position);
    return true;
}

} // namespace zentrivo
