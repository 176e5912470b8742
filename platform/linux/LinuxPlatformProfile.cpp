#include "LinuxPlatformProfile.h"

#include <algorithm>
#include <fstream>
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <memory>
#include <string_view>
#include <vector>

namespace zentrivo::platform {
namespace {

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AppInfoPtr = std::unique_ptr<GAppInfo, ObjectUnref>;

/// The desktop-file id without ".desktop"; empty for an application that is no desktop entry or
/// whose id is not text, which no panel could store.
std::string identifier(GAppInfo* app) {
    const char* id = app ? g_app_info_get_id(app) : nullptr;
    if (!id || !g_utf8_validate(id, -1, nullptr))
        return {};
    std::string text(id);
    constexpr std::string_view suffix = ".desktop";
    if (text.size() > suffix.size() && text.ends_with(suffix))
        text.resize(text.size() - suffix.size());
    return text;
}

bool isTerminalEmulator(GAppInfo* app) {
    if (!G_IS_DESKTOP_APP_INFO(app))
        return false;
    const char* categories = g_desktop_app_info_get_categories(G_DESKTOP_APP_INFO(app));
    if (!categories)
        return false;
    std::string_view rest(categories);
    while (!rest.empty()) {
        const auto end = rest.find(';');
        if (rest.substr(0, end) == "TerminalEmulator")
            return true;
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return false;
}

/// The desktop ids the user listed as preferred terminals, most preferred first.
std::vector<std::string> preferredTerminals() {
    std::vector<std::string> folders{g_get_user_config_dir()};
    for (const char* const* dir = g_get_system_config_dirs(); dir && *dir; ++dir)
        folders.emplace_back(*dir);
    std::vector<std::string> ids;
    for (const auto& folder : folders) {
        std::ifstream list(folder + "/xdg-terminals.list");
        std::string line;
        while (std::getline(list, line)) {
            // Entries may name a desktop action after a colon; the application is what counts.
            line = line.substr(0, line.find(':'));
            const auto first = line.find_first_not_of(" \t\r");
            if (first == std::string::npos || line[first] == '#')
                continue;
            const auto last = line.find_last_not_of(" \t\r");
            ids.push_back(line.substr(first, last - first + 1));
        }
    }
    return ids;
}

} // namespace

std::string LinuxPlatformProfile::defaultHandlerId(const char* contentType) {
    const AppInfoPtr app(g_app_info_get_default_for_type(contentType, FALSE));
    return identifier(app.get());
}

std::string LinuxPlatformProfile::fileManagerId() const {
    return defaultHandlerId("inode/directory");
}

std::string LinuxPlatformProfile::terminalId() const {
    for (const auto& id : preferredTerminals()) {
        if (!id.ends_with(".desktop"))
            continue;
        const AppInfoPtr app(G_APP_INFO(g_desktop_app_info_new(id.c_str())));
        if (app && isTerminalEmulator(app.get()))
            return identifier(app.get());
    }
    std::vector<std::string> terminals;
    GList* all = g_app_info_get_all();
    for (GList* item = all; item; item = item->next) {
        auto* app = static_cast<GAppInfo*>(item->data);
        if (g_app_info_should_show(app) && isTerminalEmulator(app))
            if (auto id = identifier(app); !id.empty())
                terminals.push_back(std::move(id));
    }
    g_list_free_full(all, g_object_unref);
    if (terminals.empty())
        return {};
    return *std::min_element(terminals.begin(), terminals.end());
}

ReticleSpec LinuxPlatformProfile::defaultMainSpec() const {
    auto appAction = [](std::string id) -> std::optional<Action> {
        if (id.empty())
            return std::nullopt;
        return Action{std::move(id), ActionType::app};
    };
    ReticleSpec spec;
    spec.id = 0;
    spec.t = appAction(fileManagerId());
    spec.l = appAction(terminalId());
    spec.r = appAction(defaultHandlerId("x-scheme-handler/mailto"));
    spec.b = appAction(defaultHandlerId("x-scheme-handler/https"));
    return spec;
}

} // namespace zentrivo::platform
