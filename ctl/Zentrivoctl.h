#pragma once

#include "RunningZentrivo.h"
#include "app/model/PlatformProfile.h"
#include "app/settings/DefaultsDatabase.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrivo {

/// Exit statuses of `zentrivoctl`.
namespace ctlStatus {
inline constexpr int ok = 0;
/// The key is not stored, or the database refused the change.
inline constexpr int failed = 1;
/// The command line could not be understood; nothing was written.
inline constexpr int badInput = 2;
} // namespace ctlStatus

/// Runs one `zentrivoctl` command line (`args` without the program name) against `db`, printing
/// results to `out` and messages to `err`. The whole command line is checked before anything is
/// written. A change is announced to `running`, which show and close need. Returns one of
/// `ctlStatus`.
int runZentrivoctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   DefaultsDatabase& db, const PlatformProfile& profile,
                   RunningZentrivo* running = nullptr);

/// How `defaults read` prints a value: integers in decimal, floats in their shortest round-trip
/// form, bools as 1 or 0, strings raw, dates in ISO 8601 UTC, data as hex in angle brackets.
std::string formatDefaultsValue(const PropertyValue& value);

/// "YYYY-MM-DDTHH:MM:SS" with optional fractional seconds and a "Z" or "+HH:MM", "+HHMM", "+HH"
/// offset. None when the text is not such a date or names no real day or time.
std::optional<Date> parseIsoDate(std::string_view text);

} // namespace zentrivo
