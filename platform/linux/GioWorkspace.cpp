#include "GioWorkspace.h"

#include "GioHandles.h"

#include <algorithm>
#include <filesystem>
#include <gio/gdesktopappinfo.h>
#include <utility>

namespace zentrivo::platform {

namespace {

/// A launch context for children of ours: nothing of the way Zentrivo itself was started
/// (its own startup-notification or activation token) may leak into the application started.
GObjectHandle<GAppLaunchContext> makeLaunchContext() {
    GObjectHandle<GAppLaunchContext> context(g_app_launch_context_new());
    g_app_launch_context_unsetenv(context.get(), "DESKTOP_STARTUP_ID");
    g_app_launch_context_unsetenv(context.get(), "XDG_ACTIVATION_TOKEN");
    return context;
}

bool endsWith(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

/// Starts the application of a desktop entry; none, or why it could not be started.
std::optional<std::string> launch(GDesktopAppInfo* entry) {
    const GObjectHandle<GAppLaunchContext> context = makeLaunchContext();
    GError* rawError = nullptr;
    if (g_app_info_launch(G_APP_INFO(entry), nullptr, context.get(), &rawError)) {
        return std::nullopt;
    }
    const GErrorHandle error(rawError);
    return describe(error.get(), "the application could not be started");
}

/// The desktop-file id of an entry file under one of the application folders
/// ($XDG_DATA_HOME/applications, then each $XDG_DATA_DIRS entry's): its path below the folder
/// with '/' turned into '-'. None for a file elsewhere.
std::optional<std::string> desktopIdOf(const std::string& path) {
    std::error_code error;
    const std::filesystem::path file = std::filesystem::weakly_canonical(path, error);
    if (error)
        return std::nullopt;
    std::vector<std::string> dataDirs{g_get_user_data_dir()};
    for (const gchar* const* dir = g_get_system_data_dirs(); dir && *dir; ++dir)
        dataDirs.emplace_back(*dir);
    for (const auto& dataDir : dataDirs) {
        const std::filesystem::path folder =
            std::filesystem::weakly_canonical(std::filesystem::path(dataDir) / "applications", error);
        if (error)
            continue;
        const std::filesystem::path relative = file.lexically_relative(folder);
        if (relative.empty() || *relative.begin() == "..")
            continue;
        std::string id = relative.string();
        std::replace(id.begin(), id.end(), '/', '-');
        return id;
    }
    return std::nullopt;
}

} // namespace

GioWorkspace::GioWorkspace(MainQueue& mainQueue) : mainQueue(mainQueue) {}

std::optional<RunningApp> GioWorkspace::frontmostApplication() const {
    return std::nullopt;
}

std::vector<RunningApp> GioWorkspace::runningApplications() const {
    return {};
}

void GioWorkspace::activate(const RunningApp&) {}

void GioWorkspace::hide(const RunningApp&) {}

std::optional<std::string> GioWorkspace::applicationPath(std::string_view bundleId) const {
    // An id names an entry inside the application folders; a path separator or NUL would make
    // GIO look elsewhere (or cut the id short).
    if (bundleId.empty() || bundleId.find('/') != std::string_view::npos ||
        bundleId.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string desktopId = std::string(bundleId) + ".desktop";
    const GObjectHandle<GDesktopAppInfo> entry(g_desktop_app_info_new(desktopId.c_str()));
    if (!entry) {
        return std::nullopt;
    }
    const char* filename = g_desktop_app_info_get_filename(entry.get());
    if (!filename) {
        return std::nullopt;
    }
    return std::string(filename);
}

void GioWorkspace::openApplication(const std::string& path, OpenCompletion completion) {
    std::optional<std::string> error;
    const GObjectHandle<GDesktopAppInfo> entry(
        path.empty() ? nullptr : g_desktop_app_info_new_from_filename(path.c_str()));
    if (!entry) {
        error = "\"" + path + "\" is not the desktop entry of an installed application";
    } else {
        error = launch(entry.get());
    }
    if (completion) {
        mainQueue.post(
            [completion = std::move(completion), error = std::move(error)] { completion(error); });
    }
}

bool GioWorkspace::openFile(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    if (endsWith(path, ".desktop")) {
        if (const GObjectHandle<GDesktopAppInfo> entry(
                g_desktop_app_info_new_from_filename(path.c_str()));
            entry) {
            return !launch(entry.get()).has_value();
        }
    }
    const GObjectHandle<GFile> file(g_file_new_for_path(path.c_str()));
    const GCharHandle uri(g_file_get_uri(file.get()));
    const GObjectHandle<GAppLaunchContext> context = makeLaunchContext();
    GError* rawError = nullptr;
    const bool opened = g_app_info_launch_default_for_uri(uri.get(), context.get(), &rawError);
    const GErrorHandle error(rawError);
    return opened;
}

bool GioWorkspace::openURLs(const std::vector<std::string>& urls,
                            const std::string& applicationPath) {
    if (urls.empty() || applicationPath.empty())
        return false;
    const GObjectHandle<GDesktopAppInfo> entry(
        g_desktop_app_info_new_from_filename(applicationPath.c_str()));
    if (!entry)
        return false;
    GList* list = nullptr;
    for (const auto& url : urls)
        list = g_list_append(list, const_cast<char*>(url.c_str()));
    const GObjectHandle<GAppLaunchContext> context = makeLaunchContext();
    GError* rawError = nullptr;
    const bool opened = g_app_info_launch_uris(G_APP_INFO(entry.get()), list, context.get(),
                                               &rawError);
    g_list_free(list);
    const GErrorHandle error(rawError);
    return opened;
}

std::optional<InstalledApp> GioWorkspace::applicationAt(const std::string& path) const {
    if (path.empty())
        return std::nullopt;
    const GObjectHandle<GDesktopAppInfo> entry(g_desktop_app_info_new_from_filename(path.c_str()));
    if (!entry || g_desktop_app_info_get_is_hidden(entry.get()))
        return std::nullopt;
    // An entry is named by its place under an application folder. GIO names one elsewhere (a
    // launcher on the desktop, say) by its file name, but no slot could find it again by that.
    std::optional<std::string> id = desktopIdOf(path);
    if (!id || !endsWith(*id, ".desktop"))
        return std::nullopt;
    id->resize(id->size() - std::string_view(".desktop").size());
    if (id->empty())
        return std::nullopt;
    const char* name = g_app_info_get_display_name(G_APP_INFO(entry.get()));
    return InstalledApp{name ? name : *id, *id, path};
}

Workspace::Token GioWorkspace::addActivationObserver(std::function<void(const RunningApp&)>) {
    return nextToken++;
}

void GioWorkspace::removeActivationObserver(Token) {}

} // namespace zentrivo::platform
