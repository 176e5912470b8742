#pragma once

#include "app/core/CursorLocation.h"

namespace zentrivo::test {

class FakeCursorLocation final : public CursorLocation {
public:
    Point mouseLocation() const override {
        ++reads;
        return location;
    }
    Point location;
    mutable int reads = 0;
};

} // namespace zentrivo::test
