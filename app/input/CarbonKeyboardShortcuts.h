#pragma once

#include "HotKeyService.h"
#include "Shortcut.h"

#include <cstdint>
#include <functional>
#include <map>

namespace zentrivo {

/// The registry of the program's hot keys: registers them with the platform, keeps them by id,
/// dispatches their events to per-key callbacks and unregisters them all. One per process, owned
/// by the composition root; whoever calls `unregisterAll()` removes every key.
class CarbonKeyboardShortcuts {
public:
    using Callback = std::function<void(const Shortcut&)>;

    /// One registered key.
    class HotKey {
    public:
        Shortcut shortcut;
        std::uint32_t carbonHotKeyId = 0;
        HotKeyService::HotKeyRef carbonHotKey = 0;
        Callback onKeyDown;
        Callback onKeyUp;
    };

    /// "ZNTR" as a four-character code: the signature of every key this program registers.
    static constexpr std::uint32_t signature = (std::uint32_t{'Z'} << 24) |
                                               (std::uint32_t{'N'} << 16) |
                                               (std::uint32_t{'T'} << 8) | std::uint32_t{'R'};

    explicit CarbonKeyboardShortcuts(HotKeyService& service);
    /// Unregisters every key and removes the event handler.
    ~CarbonKeyboardShortcuts();
    CarbonKeyboardShortcuts(const CarbonKeyboardShortcuts&) = delete;
    CarbonKeyboardShortcuts& operator=(const CarbonKeyboardShortcuts&) = delete;

    /// Registers one hot key under the next id (every attempt consumes one). A key the system
    /// refuses, or whose code or modifiers do not fit in 32 bits unsigned, is silently not
    /// recorded. Does not look for an earlier registration of the same shortcut.
    void registerShortcut(const Shortcut& shortcut, Callback onKeyDown, Callback onKeyUp);
    /// Unregisters every key and empties the table; the id counter keeps counting.
    void unregisterAll();

    /// The answer to one hot-key event: handled after calling the key's callback; not handled for
    /// no event, no readable id, a foreign signature, an unknown id or another event kind.
    HotKeyEventResult handleEvent(const HotKeyEvent* event);

    const std::map<std::uint32_t, HotKey>& hotKeys() const { return table; }
    /// The id given to the latest registration attempt; 0 before the first.
    std::uint32_t lastHotKeyId() const { return idCounter; }

private:
    HotKeyService& service;
    std::map<std::uint32_t, HotKey> table;
    std::uint32_t idCounter = 0;
    bool eventHandlerInstalled = false;
};

} // namespace zentrivo
