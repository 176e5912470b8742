#pragma once

#include <cstdint>
#include <optional>

namespace zentrivo {

/// A three-state switch: the user never chose, switched it on, or switched it off.
enum class OptionalBool : std::int64_t { undefined = 0, userEnabled = 1, userDisabled = 2 };

/// How folder slots are labelled on their icon.
enum class FolderLabel : std::int64_t { off = 1, acronym = 2, truncatedName = 3 };

/// Raw-value conversion of the enumerations kept in `IntEnumDefault`.
template <typename E> struct EnumRaw;

template <> struct EnumRaw<OptionalBool> {
    static std::optional<OptionalBool> fromRaw(std::int64_t raw) {
        // Taken as an unsigned number, so negative values fall back too.
        if (static_cast<std::uint64_t>(raw) > 2)
            return std::nullopt;
        return static_cast<OptionalBool>(raw);
    }
};

template <> struct EnumRaw<FolderLabel> {
    static std::optional<FolderLabel> fromRaw(std::int64_t raw) {
        if (raw < 1 || raw > 3)
            return std::nullopt;
        return static_cast<FolderLabel>(raw);
    }
};

} // namespace zentrivo
