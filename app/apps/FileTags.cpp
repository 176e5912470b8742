#include "FileTags.h"

#include <cerrno>
#include <sys/xattr.h>

namespace zentrivo {

// The colour labels as the desktop's palette draws them (the GNOME palette's middle shades).
const std::array<FileLabel, 7> fileLabels{{
    {"Red", {0xe0, 0x1b, 0x24}},
    {"Orange", {0xff, 0x78, 0x00}},
    {"Yellow", {0xf6, 0xd3, 0x2d}},
    {"Green", {0x33, 0xd1, 0x7a}},
    {"Blue", {0x35, 0x84, 0xe4}},
    {"Purple", {0x91, 0x41, 0xac}},
    {"Gray", {0x77, 0x76, 0x7b}},
}};

namespace {

constexpr const char* tagsAttribute = "user.xdg.tags";

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool isAbsence(int error) {
    return error == ENODATA || error == ENOTSUP;
}

} // namespace

std::vector<std::string> splitTagNames(std::string_view value) {
    std::vector<std::string> names;
    while (true) {
        const auto comma = value.find(',');
        const auto name = trimmed(value.substr(0, comma));
        if (!name.empty())
            names.emplace_back(name);
        if (comma == std::string_view::npos)
            return names;
        value.remove_prefix(comma + 1);
    }
}

FileTagNames readFileTagNames(const std::string& path) {
    FileTagNames result;
    std::string value;
    // The attribute may grow between asking its size and reading it: ask again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = getxattr(path.c_str(), tagsAttribute, nullptr, 0);
        if (size < 0)
            break;
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = getxattr(path.c_str(), tagsAttribute, value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<std::size_t>(got));
            result.outcome = FileTagNames::Outcome::read;
            result.names = splitTagNames(value);
            return result;
        }
        if (errno != ERANGE)
            break;
    }
    const int error = errno;
    result.outcome = isAbsence(error) ? FileTagNames::Outcome::none : FileTagNames::Outcome::failed;
    result.error = isAbsence(error) ? 0 : error;
    return result;
}

std::vector<LabelColor> tagDotColors(const std::vector<std::string>& names) {
    std::vector<LabelColor> colors;
    for (auto name = names.rbegin(); name != names.rend() && colors.size() < maxTagDots; ++name) {
        for (const auto& label : fileLabels) {
            if (label.name == *name) {
                colors.push_back(label.color);
                break;
            }
        }
    }
    return colors;
}

} // namespace zentrivo
