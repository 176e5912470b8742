#pragma once

#include "Default.h"
#include "DefaultsDatabase.h"

namespace zentrivo {

class DoubleDefault final : public Default {
public:
    DoubleDefault(DefaultsDatabase& db, std::string key);

    double value() const noexcept { return cached; }
    void set(double newValue);

    const std::string& key() const override { return keyName; }
    /// A missing "double" member changes nothing.
    void load(const CodableDefault& from) override;
    void reload() override;

private:
    DefaultsDatabase& db;
    std::string keyName;
    double cached;
    /// False while the database has refused the cached value: it is written again even when
    /// set unchanged.
    bool stored = true;
};

} // namespace zentrivo
