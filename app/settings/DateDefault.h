#pragma once

#include "Default.h"
#include "DefaultsDatabase.h"

#include <optional>

namespace zentrivo {

class DateDefault final : public Default {
public:
    /// A missing key or a stored value that is not a date reads as none.
    DateDefault(DefaultsDatabase& db, std::string key);

    const std::optional<Date>& value() const noexcept { return cached; }
    /// None removes the key.
    void set(std::optional<Date> newValue);

    const std::string& key() const override { return keyName; }
    /// A missing "date" member clears a present date.
    void load(const CodableDefault& from) override;
    void reload() override;

private:
    DefaultsDatabase& db;
    std::string keyName;
    std::optional<Date> cached;
    /// False while the database has refused the cached value: it is written again even when
    /// set unchanged.
    bool stored = true;
};

} // namespace zentrivo
