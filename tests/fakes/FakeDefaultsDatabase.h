#pragma once

#include "app/settings/DefaultsDatabase.h"

#include <map>

namespace zentrivo::test {

/// In memory, counting reads and writes so that tests can see a repeated write cost nothing.
class FakeDefaultsDatabase final : public DefaultsDatabase {
public:
    std::optional<PropertyValue> value(std::string_view key) const override {
        ++reads;
        const auto it = values.find(key);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    bool setValue(std::string_view key, const PropertyValue& value) override {
        return write([&] { values[std::string(key)] = value; });
    }
    bool removeValue(std::string_view key) override {
        return write([&] { values.erase(std::string(key)); });
    }
    std::vector<std::string> keys() const override {
        std::vector<std::string> names;
        for (const auto& [name, value] : values)
            names.push_back(name);
        return names;
    }

    std::map<std::string, PropertyValue, std::less<>> values; // arranged and checked uncounted
    mutable int reads = 0;
    int writes = 0;
    /// Every write and removal is refused and changes nothing, as a full disk would.
    bool failWrites = false;

private:
    bool write(const auto& change) {
        ++writes;
        if (!failWrites)
            change();
        return !failWrites;
    }
};

} // namespace zentrivo::test
