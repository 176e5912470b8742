#pragma once

#include "app/model/Directional.h"

#include <functional>

namespace zentrivo {

/// The four direction hot keys (arrows, or H/L/K/J) held with the trigger modifiers. The
/// registry is process-wide: `unregisterAll()` removes every key, whoever registered it.
/// `ArrowHotKeys` implements it over the platform's hot-key service.
class ArrowKeys {
public:
    using Callback = std::function<void(Directional)>;

    ArrowKeys() = default;
    virtual ~ArrowKeys() = default;
    ArrowKeys(const ArrowKeys&) = delete;
    ArrowKeys& operator=(const ArrowKeys&) = delete;

    /// Registers the four keys with the current `reticleFlags` modifiers; each callback (either
    /// may be empty) receives the direction of its key. A key the system refuses is silently
    /// left out.
    virtual void registerKeys(Callback onKeyDown, Callback onKeyUp) = 0;
    virtual void unregisterAll() = 0;
};

} // namespace zentrivo
