#pragma once

#include "app/reticle/Haptics.h"

namespace zentrivo::test {

class FakeHaptics final : public Haptics {
public:
    void levelChange() override { ++levelChanges; }
    int levelChanges = 0;
};

} // namespace zentrivo::test
