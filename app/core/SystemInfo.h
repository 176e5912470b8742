#pragma once

namespace zentrivo {

/// Which generation of the operating system's facilities is available. Behaviour that depends on
/// the system's version asks here, so every branch can be exercised with a fake.
class SystemInfo {
public:
    SystemInfo() = default;
    virtual ~SystemInfo() = default;
    SystemInfo(const SystemInfo&) = delete;
    SystemInfo& operator=(const SystemInfo&) = delete;

    /// True when the system offers the facilities of macOS `major`.`minor` or later. A platform
    /// without such version steps (the Linux desktop) reports the newest generation: always true.
    virtual bool isAtLeast(int major, int minor) const = 0;
};

} // namespace zentrivo
