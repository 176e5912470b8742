#pragma once

#include "Default.h"
#include "DefaultsDatabase.h"

#include <cstdint>
#include <optional>

namespace zentrivo {

class IntDefault final : public Default {
public:
    /// With a fallback, a stored 0 (or anything that reads as 0) reads as the fallback.
    IntDefault(DefaultsDatabase& db, std::string key,
               std::optional<std::int64_t> fallback = std::nullopt);

    std::int64_t value() const noexcept { return cached; }
    void set(std::int64_t newValue);

    const std::string& key() const override { return keyName; }
    /// A missing "int" member changes nothing.
    void load(const CodableDefault& from) override;
    void reload() override;

private:
    DefaultsDatabase& db;
    std::string keyName;
    std::optional<std::int64_t> fallback;
    std::int64_t cached;
    /// False while the database has refused the cached value: it is written again even when
    /// set unchanged.
    bool stored = true;
};

} // namespace zentrivo
