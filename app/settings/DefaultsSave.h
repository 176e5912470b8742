#pragma once

#include "DefaultsDatabase.h"

#include <optional>
#include <string_view>

namespace zentrivo {

/// The one path by which setting writes reach the database: a value is stored, none removes the
/// key.
inline void saveDefault(DefaultsDatabase& db, const std::optional<PropertyValue>& value,
                        std::string_view key) {
    if (value)
        db.setValue(key, *value);
    else
        db.removeValue(key);
}

} // namespace zentrivo
