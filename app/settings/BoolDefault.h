#pragma once

#include "Default.h"
#include "DefaultsDatabase.h"

namespace zentrivo {

class BoolDefault final : public Default {
public:
    BoolDefault(DefaultsDatabase& db, std::string key);

    bool value() const noexcept { return cached; }
    void set(bool newValue);

    const std::string& key() const override { return keyName; }
    /// A missing "bool" member changes nothing.
    void load(const CodableDefault& from) override;
    void reload() override;

private:
    DefaultsDatabase& db;
    std::string keyName;
    bool cached;
    /// False while the database has refused the cached value: it is written again even when
    /// set unchanged.
    bool stored = true;
};

} // namespace zentrivo
