#include "DesktopIdMatcher.h"

#include <algorithm>
#include <string_view>

namespace zentrivo::platform {

namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(x) == lower(y);
           });
}

/// "org.gnome.Nautilus" ends in "nautilus"; a plain "nautilus" has no reverse-DNS part.
bool lastPartIs(std::string_view id, std::string_view name) {
    const auto dot = id.rfind('.');
    return dot != std::string_view::npos && equalIgnoringCase(id.substr(dot + 1), name);
}

template <typename Predicate>
const DesktopEntryInfo* findEntry(const std::vector<DesktopEntryInfo>& entries, Predicate p) {
    const auto found = std::find_if(entries.begin(), entries.end(), p);
    return found == entries.end() ? nullptr : &*found;
}

} // namespace

std::optional<std::string> matchDesktopId(const WindowIdentity& window,
                                          const std::vector<DesktopEntryInfo>& entries) {
    if (!window.gtkApplicationId.empty())
        if (const auto* e = findEntry(entries, [&](const auto& e) {
                return e.id == window.gtkApplicationId;
            }))
            return e->id;

    std::vector<std::string_view> names;
    for (const std::string* name : {&window.wmClassInstance, &window.wmClassClass})
        if (!name->empty())
            names.push_back(*name);

    for (std::string_view name : names)
        if (const auto* e = findEntry(entries, [&](const auto& e) {
                return !e.startupWMClass.empty() && e.startupWMClass == name;
            }))
            return e->id;
    for (std::string_view name : names)
        if (const auto* e =
                findEntry(entries, [&](const auto& e) { return equalIgnoringCase(e.id, name); }))
            return e->id;
    for (std::string_view name : names)
        if (const auto* e = findEntry(entries, [&](const auto& e) { return lastPartIs(e.id, name); }))
            return e->id;

    if (!window.executable.empty()) {
        const auto sameProgram = [&](const auto& e) { return e.executable == window.executable; };
        // A program shared by several entries tells nothing about which one this window is.
        if (std::count_if(entries.begin(), entries.end(), sameProgram) == 1)
            return findEntry(entries, sameProgram)->id;
    }
    return std::nullopt;
}

} // namespace zentrivo::platform
