#pragma once

#include "app/settings/DefaultsDatabase.h"

#include <map>

namespace zentrivo::test {

/// An in-memory defaults database that counts reads and writes, so tests can assert that a
/// repeated write causes no database traffic.
class FakeDefaultsDatabase final : public DefaultsDatabase {
public:
    std::optional<PropertyValue> value(std::string_view key) const override {
        ++reads;
        const auto it = values.find(std::string(key));
        if (it == values.end())
            return std::nullopt;
        return it->second;
    }
    bool setValue(std::string_view key, const PropertyValue& value) override {
        ++writes;
        if (failWrites)
            return false;
        values[std::string(key)] = value;
        return true;
    }
    bool removeValue(std::string_view key) override {
        ++writes;
        if (failWrites)
            return false;
        values.erase(std::string(key));
        return true;
    }
    std::vector<std::string> keys() const override {
        std::vector<std::string> result;
        for (const auto& [k, v] : values)
            result.push_back(k);
        return result;
    }

    /// Direct access for arranging and checking stored values without counting.
    std::map<std::string, PropertyValue, std::less<>> values;
    mutable int reads = 0;
    int writes = 0;
    /// Every write and removal is refused and changes nothing, as a full disk would.
    bool failWrites = false;
};

} // namespace zentrivo::test
