#pragma once

#include <array>
#include <optional>

namespace zentrivo {

/// The nine slot positions. Raw values are also the tags of the reticle's slot views.
enum class Directional : int { tl = 1, t = 2, tr = 3, l = 4, r = 5, bl = 6, b = 7, br = 8, c = 9 };

/// Yields none for anything outside 1...9.
constexpr std::optional<Directional> directionalFromRaw(long long raw) {
    if (raw < 1 || raw > 9)
        return std::nullopt;
    return static_cast<Directional>(raw);
}

constexpr int rawValue(Directional d) { return static_cast<int>(d); }

/// Every position, in declaration order.
inline constexpr std::array<Directional, 9> allDirections{
    Directional::tl, Directional::t,  Directional::tr, Directional::l, Directional::r,
    Directional::bl, Directional::b,  Directional::br, Directional::c};

/// The eight ring positions, without the centre, in the order every ring walk uses.
inline constexpr std::array<Directional, 8> ringDirections{
    Directional::tl, Directional::t,  Directional::tr, Directional::l,
    Directional::r,  Directional::bl, Directional::b,  Directional::br};

/// The position's name as used in the panel's JSON form: "tl", "t", ... "c".
const char* name(Directional d);

} // namespace zentrivo
