#pragma once

#include "Default.h"
#include "DefaultsDatabase.h"
#include "DefaultsSave.h"
#include "OptionalBool.h"

#include <cstdint>
#include <optional>

namespace zentrivo {

/// A setting holding an enumeration with integer raw values; a stored number that is no raw
/// value of `E` reads as `defaultValue`.
template <typename E> class IntEnumDefault : public Default {
public:
    IntEnumDefault(DefaultsDatabase& db, std::string key, E defaultValue)
        : defaultValue(defaultValue), db(db), keyName(std::move(key)) {
        IntEnumDefault::reload();
    }

    void reload() override {
        const auto value = db.value(keyName);
        cached = convert(readInteger(value ? &*value : nullptr));
        stored = true;
    }

    E value() const noexcept { return cached; }
    void set(E newValue) {
        if (newValue == cached && stored)
            return;
        cached = newValue;
        stored = saveDefault(db, PropertyValue{static_cast<std::int64_t>(cached)}, keyName);
    }

    const std::string& key() const override { return keyName; }
    /// A missing "int" member changes nothing; an invalid raw value stores `defaultValue`.
    void load(const CodableDefault& from) override {
        if (!from.intValue || (*from.intValue == static_cast<std::int64_t>(cached) && stored))
            return;
        cached = convert(*from.intValue);
        stored = saveDefault(db, PropertyValue{static_cast<std::int64_t>(cached)}, keyName);
    }

    const E defaultValue;

private:
    E convert(std::int64_t raw) const { return EnumRaw<E>::fromRaw(raw).value_or(defaultValue); }

    DefaultsDatabase& db;
    std::string keyName;
    E cached;
    /// False while the database has refused the cached value: it is written again even when set
    /// unchanged.
    bool stored = true;
};

/// A three-state switch; written with an optional bool (none = `undefined`).
class OptionalBoolDefault final : public IntEnumDefault<OptionalBool> {
public:
    OptionalBoolDefault(DefaultsDatabase& db, std::string key)
        : IntEnumDefault(db, std::move(key), OptionalBool::undefined) {}

    using IntEnumDefault::set;
    void set(std::optional<bool> newValue) {
        set(!newValue ? OptionalBool::undefined
                      : (*newValue ? OptionalBool::userEnabled : OptionalBool::userDisabled));
    }

    /// The reading of a switch that is on unless the user disabled it.
    bool onUnlessDisabled() const noexcept { return value() != OptionalBool::userDisabled; }
    /// The reading of a switch that is off unless the user enabled it.
    bool offUnlessEnabled() const noexcept { return value() == OptionalBool::userEnabled; }
};

} // namespace zentrivo
