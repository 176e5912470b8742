#pragma once

#include "CodableDefault.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zentrivo {

/// A configuration record as it travels through the cloud folder: who wrote it, when, and the
/// settings it carries.
struct Config {
    std::string bundleId;
    std::string version;
    /// Seconds since 1 January 2001 UTC.
    double timestamp = 0;
    std::map<std::string, CodableDefault> defaults;

    bool operator==(const Config&) const = default;

    /// The JSON object with the members "bundleId", "version", "timestamp" and "defaults".
    std::string toJsonString() const;
    /// None when `text` is not such an object: a member missing or of the wrong type, a setting
    /// value that does not decode, or text that is no JSON at all. Unknown members are ignored.
    static std::optional<Config> fromJsonString(std::string_view text);

    /// The record's timestamp as a date.
    Date date() const;
    /// The timestamp of `date`.
    static double timestampOf(Date date);
};

} // namespace zentrivo

namespace zentrivo {

class Defaults;
class ReticleSpecModel;

/// The folder that stands for the cloud store: `cloudFolder` when it holds an absolute path,
/// else `$XDG_DATA_HOME/zentrivo/cloud` or `~/.local/share/zentrivo/cloud`. None when neither
/// variable is set.
std::optional<std::filesystem::path> cloudFolderPath(const Defaults& defaults);

/// This machine's configuration as a record written at `now`: the near panel, `safeAreaSize` and
/// `iCloudSync`.
Config currentConfig(Defaults& defaults, const ReticleSpecModel& model, Date now);

} // namespace zentrivo
