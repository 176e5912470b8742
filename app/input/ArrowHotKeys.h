#pragma once

#include "ArrowKeys.h"
#include "CarbonKeyboardShortcuts.h"
#include "app/settings/Defaults.h"

#include <array>
#include <cstdint>
#include <optional>

namespace zentrivo {

/// The four direction hot keys over the program's hot-key registry: the arrows, or H, L, K, J
/// when `vimKeyShortcuts` is enabled, held with the `reticleFlags` modifiers.
class ArrowHotKeys final : public ArrowKeys {
public:
    /// Virtual key codes in registration order: left, right, up, down.
    static constexpr std::array<std::int64_t, 4> arrowKeyCodes{123, 124, 126, 125};
    static constexpr std::array<std::int64_t, 4> vimKeyCodes{4, 37, 40, 38};

    ArrowHotKeys(CarbonKeyboardShortcuts& registry, const Defaults& defaults);

    /// Registers the four keys with the current modifiers. A negative `reticleFlags` (which no
    /// control writes) names no modifier set, so nothing is registered then.
    void registerKeys(Callback onKeyDown, Callback onKeyUp) override;
    void unregisterAll() override;

    /// The direction a key code stands for, in either key set; none for any other key.
    static std::optional<Directional> directionForKeyCode(std::int64_t keyCode);

private:
    CarbonKeyboardShortcuts& registry;
    const Defaults& defaults;
};

} // namespace zentrivo
