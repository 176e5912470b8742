#pragma once

#include "PropertyValue.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrivo {

/// The user's defaults database: one typed value per key.
class DefaultsDatabase {
public:
    DefaultsDatabase() = default;
    virtual ~DefaultsDatabase() = default;
    DefaultsDatabase(const DefaultsDatabase&) = delete;
    DefaultsDatabase& operator=(const DefaultsDatabase&) = delete;

    /// The stored value, or none when the key is missing or the database cannot be read.
    virtual std::optional<PropertyValue> value(std::string_view key) const = 0;
    /// Stores `value` under `key` atomically. Returns false (and logs) when it could not be
    /// stored; the caller's cached value stays as the caller set it.
    virtual bool setValue(std::string_view key, const PropertyValue& value) = 0;
    /// Removes `key`; removing a missing key succeeds. Returns false when it could not be removed.
    virtual bool removeValue(std::string_view key) = 0;
    /// Every stored key, sorted.
    virtual std::vector<std::string> keys() const = 0;
};

} // namespace zentrivo
