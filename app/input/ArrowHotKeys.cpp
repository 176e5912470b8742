#include "ArrowHotKeys.h"

namespace zentrivo {

ArrowHotKeys::ArrowHotKeys(CarbonKeyboardShortcuts& registry, const Defaults& defaults)
    : registry(registry), defaults(defaults) {}

std::optional<Directional> ArrowHotKeys::directionForKeyCode(std::int64_t keyCode) {
    switch (keyCode) {
    case 123:
    case 4:
        return Directional::l;
    case 124:
    case 37:
        return Directional::r;
    case 126:
    case 40:
        return Directional::t;
    case 125:
    case 38:
        return Directional::b;
    default:
        return std::nullopt;
    }
}

void ArrowHotKeys::registerKeys(Callback onKeyDown, Callback onKeyUp) {
    const auto& keyCodes =
        defaults.vimKeyShortcuts.offUnlessEnabled() ? vimKeyCodes : arrowKeyCodes;
    const std::int64_t reticleFlags = defaults.reticleFlags.value();
    if (reticleFlags < 0)
        return;
    const auto relay = [](const Callback& callback) {
        return [callback](const Shortcut& shortcut) {
            const auto direction = directionForKeyCode(shortcut.carbonKeyCode);
            if (direction && callback)
                callback(*direction);
        };
    };
    for (const std::int64_t keyCode : keyCodes) {
        const Shortcut shortcut{
            keyCode, Shortcut::carbonModifiersFrom(static_cast<std::uint64_t>(reticleFlags))};
        registry.registerShortcut(shortcut, relay(onKeyDown), relay(onKeyUp));
    }
}

void ArrowHotKeys::unregisterAll() {
    registry.unregisterAll();
}

} // namespace zentrivo
