#pragma once

#include "Default.h"
#include "DefaultsDatabase.h"

#include <optional>
#include <string>

namespace zentrivo {

class StringDefault : public Default {
public:
    /// A missing key or a stored value that is not text reads as none.
    StringDefault(DefaultsDatabase& db, std::string key);

    const std::optional<std::string>& value() const noexcept { return cached; }
    /// None removes the key.
    void set(std::optional<std::string> newValue);

    const std::string& key() const override { return keyName; }
    /// A missing "string" member clears a present string.
    void load(const CodableDefault& from) override;
    void reload() override;

protected:
    DefaultsDatabase& db;
    std::string keyName;
    std::optional<std::string> cached;
    /// False while the database has refused the cached value: it is written again even when set
    /// unchanged.
    bool stored = true;
};

} // namespace zentrivo
