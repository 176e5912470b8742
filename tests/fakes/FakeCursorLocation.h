#pragma once

#include "app/core/CursorLocation.h"

namespace zentrivo::test {

class FakeCursorLocation final : public CursorLocation {
public:
    Point mouseLocation() const override { return location; }
    Point location;
};

} // namespace zentrivo::test
