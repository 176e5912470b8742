#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

namespace zentrivo {

/// Carbon modifier bits, the encoding hot keys are registered with.
namespace carbonModifier {
inline constexpr std::int64_t cmdKey = 0x100;
inline constexpr std::int64_t shiftKey = 0x200;
inline constexpr std::int64_t optionKey = 0x800;
inline constexpr std::int64_t controlKey = 0x1000;
} // namespace carbonModifier

/// A key code and a modifier mask in Carbon's encoding: what a hot key is registered with.
struct Shortcut {
    std::int64_t carbonKeyCode = 0;
    std::int64_t carbonModifiers = 0;

    bool operator==(const Shortcut&) const = default;

    /// Translates device-independent modifier flags bit by bit (command, shift, option,
    /// control); caps lock, function and every other bit have no Carbon counterpart and are
    /// dropped.
    static std::int64_t carbonModifiersFrom(std::uint64_t modifierFlags);
    /// The same table read backwards.
    static std::uint64_t modifierFlagsFrom(std::int64_t carbonModifiers);

    static Shortcut fromModifierFlags(std::int64_t keyCode, std::uint64_t modifierFlags) {
        return {keyCode, carbonModifiersFrom(modifierFlags)};
    }
    std::uint64_t modifierFlags() const { return modifierFlagsFrom(carbonModifiers); }

    /// {"carbonKeyCode": …, "carbonModifiers": …}, in that order.
    nlohmann::ordered_json toJson() const;
    /// Throws when `json` is not an object with both members as 64-bit integers.
    static Shortcut fromJson(const nlohmann::ordered_json& json);
    /// None when the text is no valid record.
    static std::optional<Shortcut> fromJsonString(const std::string& text);
};

} // namespace zentrivo

template <> struct std::hash<zentrivo::Shortcut> {
    std::size_t operator()(const zentrivo::Shortcut& s) const noexcept {
        const std::size_t a = std::hash<std::int64_t>{}(s.carbonKeyCode);
        const std::size_t b = std::hash<std::int64_t>{}(s.carbonModifiers);
        return a ^ (b + 0x9e3779b97f4a7c15ULL + (a << 6) + (a >> 2));
    }
};
