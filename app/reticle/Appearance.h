#pragma once

#include <cstdint>
#include <functional>

namespace zentrivo {

/// The desktop's light or dark preference, which picks the reticle's highlight, flash and
/// running-mark colours and the folder label colour.
enum class ColorScheme { noPreference, dark, light };

/// Where the colour-scheme preference comes from. Observers run on the main thread whenever the
/// desktop reports a change.
class Appearance {
public:
    using Token = std::uint64_t;

    Appearance() = default;
    virtual ~Appearance() = default;
    Appearance(const Appearance&) = delete;
    Appearance& operator=(const Appearance&) = delete;

    /// The preference now; `noPreference` when the desktop states none or cannot be asked, and
    /// the caller decides by its palette.
    virtual ColorScheme colorScheme() const = 0;
    virtual Token addObserver(std::function<void()> observer) = 0;
    virtual void removeObserver(Token token) = 0;
};

} // namespace zentrivo
