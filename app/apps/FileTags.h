#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zentrivo {

/// The tag names of a file, from its `user.xdg.tags` extended attribute (comma-separated).
struct FileTagNames {
    enum class Outcome {
        /// `names` holds the tags (possibly none, for an empty attribute).
        read,
        /// The file has no tags, or its file system keeps no extended attributes.
        none,
        /// The attribute could not be read; `error` holds the errno.
        failed,
    };
    Outcome outcome = Outcome::none;
    std::vector<std::string> names;
    int error = 0;
};

/// Reads the tags of the file at `path`. A missing attribute (ENODATA) and a file system
/// without extended attributes (ENOTSUP) give `none`; any other error (a missing file, no
/// permission) gives `failed`. Names are trimmed of surrounding spaces; empty names are dropped.
FileTagNames readFileTagNames(const std::string& path);

/// Splits an attribute value into names, as `readFileTagNames` does.
std::vector<std::string> splitTagNames(std::string_view value);

/// A colour as 8-bit red, green, blue.
struct LabelColor {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const LabelColor&) const = default;
};

/// The standard colour labels, by name: Red, Orange, Yellow, Green, Blue, Purple, Gray.
struct FileLabel {
    std::string_view name;
    LabelColor color;
};
extern const std::array<FileLabel, 7> fileLabels;

/// The most dots a file's icon carries.
constexpr std::size_t maxTagDots = 7;

/// The dot colours for a file's tags, leftmost first: the names walked from the last to the
/// first, each matched exactly against the standard labels (names without a colour skipped),
/// at most seven.
std::vector<LabelColor> tagDotColors(const std::vector<std::string>& names);

} // namespace zentrivo
