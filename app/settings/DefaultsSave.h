#pragma once

#include "DefaultsDatabase.h"

#include <optional>
#include <string_view>

namespace zentrivo {

/// How often a write is tried before the setting gives up until its next change. The database
/// logs each refusal; a busy database has already waited out its timeout on every try, so more
/// tries would only freeze the caller longer.
inline constexpr int saveAttempts = 3;

/// The one path by which setting writes reach the database: a value is stored, none removes the
/// key. Returns whether the database took the change; a setting whose write failed must not
/// treat its cached value as stored, or the next write of the same value would be skipped.
inline bool saveDefault(DefaultsDatabase& db, const std::optional<PropertyValue>& value,
                        std::string_view key) {
    for (int attempt = 0; attempt < saveAttempts; ++attempt)
        if (value ? db.setValue(key, *value) : db.removeValue(key))
            return true;
    return false;
}

} // namespace zentrivo
