#include "DesktopEntryCatalog.h"

#include "GioHandles.h"

#include <filesystem>
#include <gio/gdesktopappinfo.h>
#include <optional>
#include <string_view>
#include <system_error>

namespace zentrivo::platform {

namespace {

constexpr std::string_view desktopSuffix = ".desktop";

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};

/// The desktop-file id for `file` below `folder`: "kde/konsole.desktop" is "kde-konsole".
std::optional<std::string> identifierFor(const std::filesystem::path& file,
                                         const std::filesystem::path& folder) {
    std::string relative = file.lexically_relative(folder).generic_string();
    if (relative.size() <= desktopSuffix.size() ||
        std::string_view(relative).substr(relative.size() - desktopSuffix.size()) !=
            desktopSuffix) {
        return std::nullopt;
    }
    relative.resize(relative.size() - desktopSuffix.size());
    for (char& c : relative) {
        if (c == '/') {
            c = '-';
        }
    }
    return relative;
}

std::optional<CatalogEntry> readEntry(const std::filesystem::path& file, std::string identifier) {
    const std::unique_ptr<GKeyFile, KeyFileFree> keys(g_key_file_new());
    if (!g_key_file_load_from_file(keys.get(), file.c_str(), G_KEY_FILE_NONE, nullptr)) {
        return std::nullopt;
    }
    // What GIO cannot load does not exist for GIO's lookups either, so leaving it out here keeps
    // the list and the launches in agreement.
    const GObjectHandle<GDesktopAppInfo> info(g_desktop_app_info_new_from_keyfile(keys.get()));
    if (!info) {
        return std::nullopt;
    }
    CatalogEntry entry;
    entry.app.bundleId = std::move(identifier);
    entry.app.path = file.string();
    const char* name = g_app_info_get_display_name(G_APP_INFO(info.get()));
    entry.app.name = name ? name : "";
    entry.hidden = g_desktop_app_info_get_is_hidden(info.get());
    entry.noDisplay = g_desktop_app_info_get_nodisplay(info.get()) ||
                      !g_desktop_app_info_get_show_in(info.get(), nullptr);
    return entry;
}

} // namespace

std::vector<std::string> DesktopEntryCatalog::applicationFolders() const {
    std::vector<std::string> folders;
    folders.push_back((std::filesystem::path(g_get_user_data_dir()) / "applications").string());
    for (const gchar* const* dir = g_get_system_data_dirs(); dir && *dir; ++dir) {
        folders.push_back((std::filesystem::path(*dir) / "applications").string());
    }
    return folders;
}

std::vector<CatalogEntry> DesktopEntryCatalog::applicationsIn(const std::string& folder) const {
    namespace fs = std::filesystem;
    std::vector<CatalogEntry> entries;
    std::error_code error;
    const fs::path root(folder);
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
    if (error) {
        return entries;
    }
    for (; it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (error) {
            break;
        }
        const fs::path& file = it->path();
        std::error_code statusError;
        if (!it->is_regular_file(statusError) || statusError) {
            continue;
        }
        if (std::optional<std::string> identifier = identifierFor(file, root)) {
            if (std::optional<CatalogEntry> entry = readEntry(file, std::move(*identifier))) {
                entries.push_back(std::move(*entry));
            }
        }
    }
    return entries;
}

} // namespace zentrivo::platform
