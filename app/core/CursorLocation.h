#pragma once

#include "Geometry.h"

namespace zentrivo {

/// Where the cursor is now, in global y-up screen coordinates. Read when an event arrives, never
/// summed up from event deltas.
class CursorLocation {
public:
    CursorLocation() = default;
    virtual ~CursorLocation() = default;
    CursorLocation(const CursorLocation&) = delete;
    CursorLocation& operator=(const CursorLocation&) = delete;

    virtual Point mouseLocation() const = 0;
};

} // namespace zentrivo
