#pragma once

#include <cstdint>
#include <functional>

namespace zentrivo {

/// The workspace's did-wake notification: tells the program that the machine has woken from
/// sleep, so that whoever needs a fresh start after a wake can observe it.
class WakeNotifier {
public:
    using Token = std::uint64_t;
    using Observer = std::function<void()>;

    WakeNotifier() = default;
    virtual ~WakeNotifier() = default;
    WakeNotifier(const WakeNotifier&) = delete;
    WakeNotifier& operator=(const WakeNotifier&) = delete;

    /// Calls `observer` on the main thread once per wake until it is removed; returns the token
    /// that removes it. Where the platform cannot tell about wakes it is never called.
    virtual Token addWakeObserver(Observer observer) = 0;
    /// Removes an observer; an unknown token is ignored.
    virtual void removeWakeObserver(Token token) = 0;
};

} // namespace zentrivo
