#include "PreferencesRules.h"

#include "app/settings/Defaults.h"

#include <cmath>
#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>

namespace zentrivo::preferences {

ArrowKeyRule arrowKeyRule(std::int64_t reticleFlags, OptionalBool arrowKeysDisplays) {
    const bool function = (reticleFlags & modifierFlags::function) != 0;
    ArrowKeyRule rule;
    rule.switchEnabled = !function;
    if (arrowKeysDisplays == OptionalBool::userEnabled) {
        rule.disable = function;
        rule.reregister = true;
    }
    return rule;
}

int sliderPosition(double value) {
    if (std::isnan(value))
        return 0;
    const double truncated = std::trunc(value);
    if (truncated <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (truncated >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(truncated);
}

bool isStorable(const Action& action) {
    try {
        (void)action.toJson().dump();
        return true;
    } catch (const nlohmann::json::exception&) {
        return false;
    }
}

bool acceptsApplicationDrop(const std::vector<std::string>& filePaths,
                            const std::string& applicationExtension) {
    return filePaths.size() == 1 && std::filesystem::path(filePaths.front()).extension().string() ==
                                        "." + applicationExtension;
}

} // namespace zentrivo::preferences
