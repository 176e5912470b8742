#pragma once

#include "Default.h"
#include "DefaultsDatabase.h"

#include <optional>

namespace zentrivo {

class FloatDefault final : public Default {
public:
    /// With a fallback, a stored 0 (or anything that reads as 0) reads as the fallback.
    FloatDefault(DefaultsDatabase& db, std::string key, std::optional<float> fallback = std::nullopt);

    float value() const noexcept { return cached; }
    void set(float newValue);

    const std::string& key() const override { return keyName; }
    /// A missing "float" member changes nothing.
    void load(const CodableDefault& from) override;
    void reload() override;

private:
    DefaultsDatabase& db;
    std::string keyName;
    std::optional<float> fallback;
    float cached;
    /// False while the database has refused the cached value: it is written again even when
    /// set unchanged.
    bool stored = true;
};

} // namespace zentrivo
