#include "DesktopEntryCatalog.h"

#include "GioHandles.h"

#include <gio/gdesktopappinfo.h>
#include <string_view>

namespace zentrivo::platform {

std::vector<InstalledApp> DesktopEntryCatalog::installedApplications() const {
    constexpr std::string_view suffix = ".desktop";
    std::vector<InstalledApp> apps;
    GList* all = g_app_info_get_all();
    for (GList* node = all; node; node = node->next) {
        auto* info = static_cast<GAppInfo*>(node->data);
        if (!G_IS_DESKTOP_APP_INFO(info) || !g_app_info_should_show(info)) {
            continue;
        }
        const char* id = g_app_info_get_id(info);
        const char* filename = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(info));
        const char* name = g_app_info_get_display_name(info);
        if (!id || !filename || !name) {
            continue;
        }
        std::string_view bundleId(id);
        if (bundleId.size() <= suffix.size() ||
            bundleId.substr(bundleId.size() - suffix.size()) != suffix) {
            continue;
        }
        bundleId.remove_suffix(suffix.size());
        apps.push_back({name, std::string(bundleId), filename});
    }
    g_list_free_full(all, g_object_unref);
    return apps;
}

} // namespace zentrivo::platform
