#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace zentrivo {

/// A point in time, in seconds since the Unix epoch, with sub-second precision.
using Date = std::chrono::time_point<std::chrono::system_clock, std::chrono::duration<double>>;

/// Raw bytes stored in the defaults database.
struct Data {
    std::vector<std::uint8_t> bytes;
    bool operator==(const Data&) const = default;
};

/// One value of the defaults database. Values keep their kind: an integer written is an integer
/// read, never text.
using PropertyValue = std::variant<bool, std::int64_t, float, double, std::string, Date, Data>;

/// The platform's typed readers, applied to a stored value (none when the key is missing).
/// A number or a bool reads as such, numeric text reads as its number ("YES"/"true"/"1" as true
/// for booleans); anything else reads 0 or false, and so do NaN, infinities and, for
/// `readFloat`, numbers beyond the float range.
bool readBool(const PropertyValue* value);
std::int64_t readInteger(const PropertyValue* value);
float readFloat(const PropertyValue* value);
double readDouble(const PropertyValue* value);
/// Keeps only text.
const std::string* readString(const PropertyValue* value);
/// Keeps only dates.
const Date* readDate(const PropertyValue* value);

} // namespace zentrivo
