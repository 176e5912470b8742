#pragma once

#include "app/model/Action.h"
#include "app/settings/OptionalBool.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zentrivo::preferences {

/// `flags` with the modifier `bit` set (`on`) or cleared.
constexpr std::int64_t withModifier(std::int64_t flags, std::int64_t bit, bool on) {
    return on ? (flags | bit) : (flags & ~bit);
}

/// What the arrow-key switch does after a trigger modifier changed.
struct ArrowKeyRule {
    /// The switch can be used: the trigger does not include the Function key, which arrow-key
    /// hot keys cannot hold.
    bool switchEnabled = true;
    /// The switch is turned off and `arrowKeysDisplays` stored as userDisabled.
    bool disable = false;
    /// The registered arrow keys are removed and "arrowDisplaysToggled" posted, so that they come
    /// back with the new modifiers when they are still wanted.
    bool reregister = false;
};
ArrowKeyRule arrowKeyRule(std::int64_t reticleFlags, OptionalBool arrowKeysDisplays);

/// The hover switch stores one delay when on and none when off; any stored delay of 1 ms or
/// more shows the switch on.
constexpr std::int64_t hoverDelayOn = 800;
constexpr std::int64_t hoverMillisFor(bool checked) {
    return checked ? hoverDelayOn : 0;
}
constexpr bool hoverShowsChecked(std::int64_t hoverMillis) {
    return hoverMillis >= 1;
}

/// A distance as a slider shows it: truncated toward zero, kept inside the int range.
int sliderPosition(double value);

/// The finger counts the trackpad gesture pop-up offers; 0 is "no gesture". One finger cannot
/// rest and then lift all but one, so the choices start at two.
inline constexpr std::array<int, 5> gestureChoices{0, 2, 3, 4, 5};

/// Far slot buttons keep their file bookmarks apart from the near ones: tag + 10.
constexpr int farButtonId(int tag) {
    return tag + 10;
}
/// The bookmark slot of a button: its `id` when it has one, else its tag.
constexpr int bookmarkId(std::optional<int> id, int tag) {
    return id.value_or(tag);
}

/// Whether a slot holding `action` can be saved: the panel is stored as JSON text, which cannot
/// carry a path or identifier that is not UTF-8.
bool isStorable(const Action& action);

/// Whether a drop on a slot button may hold an application: exactly one file, whose extension
/// is exactly `applicationExtension` (without the dot; "desktop" for desktop entries).
bool acceptsApplicationDrop(const std::vector<std::string>& filePaths,
                            const std::string& applicationExtension);

} // namespace zentrivo::preferences
