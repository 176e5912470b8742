#pragma once

#include "PropertyValue.h"

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace zentrivo {

/// A tagged setting value as it travels in a configuration record: normally exactly the member
/// that matches the kind of its setting is present.
struct CodableDefault {
    std::optional<bool> boolValue;
    std::optional<std::int64_t> intValue;
    std::optional<float> floatValue;
    std::optional<double> doubleValue;
    std::optional<std::string> stringValue;
    std::optional<Date> date;

    bool operator==(const CodableDefault&) const = default;

    /// Members "bool", "int", "float", "double", "string", "date" (seconds since 1 January 2001
    /// UTC); absent members are left out. Unknown members are ignored when decoding; a member of
    /// the wrong JSON type throws.
    nlohmann::ordered_json toJson() const;
    static CodableDefault fromJson(const nlohmann::ordered_json& json);
};

/// Seconds between the Unix epoch and 1 January 2001 UTC, the reference date of record
/// timestamps.
inline constexpr double referenceDateOffset = 978307200.0;

} // namespace zentrivo
