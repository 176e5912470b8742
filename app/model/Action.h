#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace zentrivo {

enum class ActionType : int { app = 0, file = 1, lastApp = 2, runningApp = 3 };

/// Yields none for anything outside 0...3.
constexpr std::optional<ActionType> actionTypeFromRaw(long long raw) {
    if (raw < 0 || raw > 3)
        return std::nullopt;
    return static_cast<ActionType>(raw);
}

/// What one slot does. `stringValue` is a bundle identifier (`app`, `runningApp`), a path
/// (`file`) or empty (`lastApp`).
struct Action {
    std::string stringValue;
    ActionType type = ActionType::app;

    static Action lastApp() { return Action{"", ActionType::lastApp}; }

    /// Canonically equivalent strings (NFC vs NFD, say) count as equal.
    friend bool operator==(const Action& a, const Action& b);

    /// Throws `nlohmann::json::exception` or `std::invalid_argument` when `json` is no valid
    /// action.
    static Action fromJson(const nlohmann::ordered_json& json);
    nlohmann::ordered_json toJson() const;
};

/// `stringValue` in its canonical composed form (NFC); text that is not UTF-8 comes back as is.
std::string canonicalForm(const std::string& text);

} // namespace zentrivo

template <> struct std::hash<zentrivo::Action> {
    std::size_t operator()(const zentrivo::Action& action) const noexcept;
};
