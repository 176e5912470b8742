#include "DesktopEntryIndex.h"

#include "GioHandles.h"

#include <climits>
#include <cstdlib>
#include <gio/gdesktopappinfo.h>

namespace zentrivo::platform {

namespace {

/// The real file of an Exec program, found as the launch would find it (through PATH when it
/// has no slash); empty when it does not exist.
std::string resolveProgram(const char* program) {
    if (!program || !*program)
        return {};
    const GCharHandle found(g_find_program_in_path(program));
    if (!found)
        return {};
    char resolved[PATH_MAX];
    return ::realpath(found.get(), resolved) ? std::string(resolved) : std::string();
}

std::string withoutSuffix(const char* id) {
    std::string text = id ? id : "";
    constexpr std::string_view suffix = ".desktop";
    if (text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(),
                                                    suffix.data()) == 0)
        text.resize(text.size() - suffix.size());
    return text;
}

} // namespace

DesktopEntryIndex::DesktopEntryIndex() : monitor(g_app_info_monitor_get()) {
    handler = g_signal_connect_swapped(
        monitor, "changed", G_CALLBACK(+[](DesktopEntryIndex* self) { self->stale = true; }),
        this);
}

DesktopEntryIndex::~DesktopEntryIndex() {
    g_signal_handler_disconnect(monitor, handler);
    g_object_unref(monitor);
}

const std::vector<DesktopEntryInfo>& DesktopEntryIndex::matchData() {
    if (stale)
        refresh();
    return matches;
}

const DesktopEntryIndex::Entry* DesktopEntryIndex::find(std::string_view id) {
    if (stale)
        refresh();
    for (const Entry& entry : entries)
        if (entry.match.id == id)
            return &entry;
    return nullptr;
}

void DesktopEntryIndex::refresh() {
    // Cleared first: GIO reports a change only once until the entries are read again.
    stale = false;
    ++readCount;
    entries.clear();
    matches.clear();
    GList* all = g_app_info_get_all();
    for (GList* item = all; item; item = item->next) {
        const GObjectHandle<GAppInfo> info(G_APP_INFO(item->data));
        if (!G_IS_DESKTOP_APP_INFO(info.get()))
            continue;
        auto* desktop = G_DESKTOP_APP_INFO(info.get());
        const char* file = g_desktop_app_info_get_filename(desktop);
        const char* wmClass = g_desktop_app_info_get_startup_wm_class(desktop);
        const char* name = g_app_info_get_display_name(info.get());
        Entry entry{{withoutSuffix(g_app_info_get_id(info.get())), wmClass ? wmClass : "",
                     resolveProgram(g_app_info_get_executable(info.get()))},
                    file ? file : "",
                    name ? name : ""};
        if (entry.match.id.empty() || entry.path.empty())
            continue;
        matches.push_back(entry.match);
        entries.push_back(std::move(entry));
    }
    g_list_free(all);
}

} // namespace zentrivo::platform
