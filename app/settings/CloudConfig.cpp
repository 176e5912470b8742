#include "CloudConfig.h"

#include <cmath>
#include <exception>
#include <nlohmann/json.hpp>

namespace zentrivo {

std::string Config::toJsonString() const {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["bundleId"] = bundleId;
    json["version"] = version;
    json["timestamp"] = timestamp;
    nlohmann::ordered_json values = nlohmann::ordered_json::object();
    for (const auto& [key, value] : defaults)
        values[key] = value.toJson();
    json["defaults"] = std::move(values);
    return json.dump();
}

std::optional<Config> Config::fromJsonString(std::string_view text) {
    const auto json = nlohmann::ordered_json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object())
        return std::nullopt;
    const auto member = [&](const char* name) -> const nlohmann::ordered_json* {
        const auto it = json.find(name);
        return it == json.end() ? nullptr : &*it;
    };
    const auto* bundleId = member("bundleId");
    const auto* version = member("version");
    const auto* timestamp = member("timestamp");
    const auto* values = member("defaults");
    if (!bundleId || !bundleId->is_string() || !version || !version->is_string() || !timestamp ||
        !timestamp->is_number() || !values || !values->is_object())
        return std::nullopt;
    Config config{
        bundleId->get<std::string>(), version->get<std::string>(), timestamp->get<double>(), {}};
    // A timestamp that is no finite number cannot be compared with the last one applied.
    if (!std::isfinite(config.timestamp))
        return std::nullopt;
    try {
        for (const auto& [key, value] : values->items())
            config.defaults.emplace(key, CodableDefault::fromJson(value));
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return config;
}

Date Config::date() const {
    return Date(Date::duration(timestamp + referenceDateOffset));
}

double Config::timestampOf(Date date) {
    return date.time_since_epoch().count() - referenceDateOffset;
}

} // namespace zentrivo

#include "Defaults.h"
#include "app/model/ReticleSpecModel.h"

#include <cstdlib>

namespace zentrivo {

std::optional<std::filesystem::path> cloudFolderPath(const Defaults& defaults) {
    if (const auto& folder = defaults.cloudFolder.value(); folder && folder->starts_with('/'))
        return std::filesystem::path(*folder);
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        return std::filesystem::path(xdg) / "zentrivo" / "cloud";
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return std::filesystem::path(home) / ".local" / "share" / "zentrivo" / "cloud";
    return std::nullopt;
}

Config currentConfig(Defaults& defaults, const ReticleSpecModel& model, Date now) {
    Config config{"com.tovelane.ZentrivoPro",
                  std::to_string(ZENTRIVO_BUILD_NUMBER),
                  Config::timestampOf(now),
                  {}};
    // The panel this machine shows, which is the default one when none is stored.
    config.defaults[defaults.mainReticleSpec.key()].stringValue = model.mainSpec().toJsonString();
    config.defaults[defaults.safeAreaSize.key()].intValue = defaults.safeAreaSize.value();
    config.defaults[defaults.iCloudSync.key()].intValue =
        static_cast<std::int64_t>(defaults.iCloudSync.value());
    return config;
}

} // namespace zentrivo
