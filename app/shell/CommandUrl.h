#pragma once

#include <optional>
#include <string_view>

namespace zentrivo {

/// A command that an outside tool sends as a URL of the program's scheme: show the reticle at
/// the cursor (`zentrivo://show?appearDist=40`) or close it (`zentrivo://close?executing=false`).
struct CommandUrl {
    enum class Command { show, close };
    Command command = Command::show;
    /// show: the distance the cursor travels before the reticle appears; none for the
    /// reticle's own setting.
    std::optional<float> appearDist;
    /// close: whether the selected slot runs.
    bool executing = true;

    bool operator==(const CommandUrl&) const = default;

    /// None for a URL that cannot be parsed, has a path (even "/"), or names no known command
    /// in its host. Of query items with the same name the first counts; names and values are
    /// percent-decoded.
    static std::optional<CommandUrl> parse(std::string_view url);

    /// The text as a finite 32-bit float: no leading white space, every character consumed.
    /// None for anything else, the empty text, infinities and NaN included.
    static std::optional<float> parseFloat(std::string_view text);
};

} // namespace zentrivo
