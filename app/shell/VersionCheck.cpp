#include "VersionCheck.h"

#include <charconv>

namespace zentrivo {

namespace {
constexpr std::int64_t firstRunFlags = modifierFlags::command | modifierFlags::option;
constexpr float firstRunDisplayMinDist = 5.0f;
} // namespace

VersionCheck::VersionCheck(Defaults& defaults, Log& log) : defaults(defaults), log(log) {}

std::optional<std::int64_t> VersionCheck::parseBuildNumber(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars takes no sign of its own except '-', and no leading '+'; feed it the digits
    // with the sign put back so INT64_MIN stays in range.
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    std::string digits = negative ? "-" : "";
    digits.append(text);
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return number;
}

std::string VersionCheck::runningBuildNumber() {
    return std::to_string(ZENTRIVO_BUILD_NUMBER);
}

bool VersionCheck::checkVersion(const std::optional<std::string>& runningBuild) {
    const auto& stored = defaults.lastVersion.value();
    const auto previous = stored ? parseBuildNumber(*stored) : std::nullopt;
    const bool firstRun = !previous.has_value();
    if (firstRun) {
        defaults.reticleFlags.set(firstRunFlags);
        defaults.reticleDisplayMinDist.set(firstRunDisplayMinDist);
        // No welcome window yet: say where the user stands instead.
        log.info("first run: hold Super+Alt and move the mouse to open the reticle");
    }
    // Builds up to 28 switched off a legacy login item on newer systems; nothing like it ever
    // existed here, so no upgrade step runs for old build numbers.
    defaults.lastVersion.set(runningBuild);
    return firstRun;
}

} // namespace zentrivo
