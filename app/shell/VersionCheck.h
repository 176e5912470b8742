#pragma once

#include "app/core/Log.h"
#include "app/settings/Defaults.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zentrivo {

/// The first-run and migration step that runs first at every start of the main program.
class VersionCheck {
public:
    VersionCheck(Defaults& defaults, Log& log);
    VersionCheck(const VersionCheck&) = delete;
    VersionCheck& operator=(const VersionCheck&) = delete;

    /// Reads `lastVersion`. When it holds no build number this is a first run: the trigger
    /// becomes Super+Alt and the display distance 5 points. In every case `lastVersion` then
    /// holds `runningBuild` (none clears it). Returns whether this was a first run.
    bool checkVersion(const std::optional<std::string>& runningBuild);

    /// A whole decimal number: an optional sign followed by digits, nothing else, within the
    /// range of a 64-bit signed integer. None for anything else, the empty text included.
    static std::optional<std::int64_t> parseBuildNumber(std::string_view text);

    /// This program's own build number, as it is stored in `lastVersion`.
    static std::string runningBuildNumber();

private:
    Defaults& defaults;
    Log& log;
};

} // namespace zentrivo
