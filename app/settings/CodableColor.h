#pragma once

#include <optional>
#include <string>

namespace zentrivo {

/// A plain RGBA colour, components from 0 to 1.
struct Color {
    double red = 0, green = 0, blue = 0, alpha = 1;
    bool operator==(const Color&) const = default;
};

/// The JSON form of a colour: "red", "green", "blue" required, "alpha" optional (1 when missing).
struct CodableColor {
    double red = 0, green = 0, blue = 0;
    std::optional<double> alpha;

    Color color() const { return Color{red, green, blue, alpha.value_or(1.0)}; }
    std::string toJsonString() const;
    /// None when the text is not such an object.
    static std::optional<CodableColor> fromJsonString(const std::string& text);
};

} // namespace zentrivo
