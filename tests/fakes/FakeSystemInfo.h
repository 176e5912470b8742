#pragma once

#include "app/core/SystemInfo.h"

namespace zentrivo::test {

/// Reports the system version the test sets (the newest generation unless told otherwise).
class FakeSystemInfo final : public SystemInfo {
public:
    bool isAtLeast(int wantMajor, int wantMinor) const override {
        return major != wantMajor ? major > wantMajor : minor >= wantMinor;
    }
    int major = 99;
    int minor = 0;
};

} // namespace zentrivo::test
