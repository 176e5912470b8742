#include "InstalledApps.h"

#include "app/apps/ApplicationCatalog.h"
#include "app/model/PlatformProfile.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>
#include <utf8proc.h>

namespace zentrivo {
namespace {

constexpr std::chrono::seconds minimumInterval{30};

/// Lower case by Unicode rules, so names with accents or non-Latin letters sort with their
/// upper-case forms; bytes that are not UTF-8 are lowered as ASCII.
std::string lowerCased(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
    utf8proc_ssize_t offset = 0;
    const auto size = static_cast<utf8proc_ssize_t>(text.size());
    while (offset < size) {
        utf8proc_int32_t codepoint = 0;
        const auto length = utf8proc_iterate(bytes + offset, size - offset, &codepoint);
        if (length <= 0) {
            const char c = text[static_cast<std::size_t>(offset)];
            result.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
            ++offset;
            continue;
        }
        utf8proc_uint8_t encoded[4];
        const auto written = utf8proc_encode_char(utf8proc_tolower(codepoint), encoded);
        result.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(written));
        offset += length;
    }
    return result;
}

void removeAll(std::string& text, const std::string& part) {
    if (part.empty())
        return;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at))
        text.erase(at, part.size());
}

std::string normalFolder(const std::string& folder) {
    std::string normal = std::filesystem::path(folder).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

} // namespace

InstalledApps::InstalledApps(ApplicationCatalog& catalog, MainQueue& mainQueue,
                             const PlatformProfile& profile, const SystemInfo& systemInfo)
    : catalog(catalog), mainQueue(mainQueue), profile(profile), systemInfo(systemInfo) {}

void InstalledApps::refresh() {
    if (lastQuery) {
        const auto elapsed = mainQueue.now() - *lastQuery;
        if ((elapsed < MonoTime::zero() ? -elapsed : elapsed) < minimumInterval)
            return;
    }
    auto folders = scanOrder(catalog.applicationFolders());
    std::weak_ptr<int> alive = lifetime;
    mainQueue.post([this, alive, folders = std::move(folders)] {
        if (alive.lock())
            scan(folders);
    });
}

std::vector<std::string>
InstalledApps::scanOrder(const std::vector<std::string>& foldersByImportance) {
    std::vector<std::string> order;
    std::unordered_set<std::string> seen;
    for (const auto& folder : foldersByImportance) {
        if (folder.empty())
            continue;
        std::string normal = normalFolder(folder);
        if (seen.insert(normal).second)
            order.push_back(std::move(normal));
    }
    std::reverse(order.begin(), order.end());
    return order;
}

void InstalledApps::scan(const std::vector<std::string>& folders) {
    lastQuery = mainQueue.now();
    allApps.clear();
    for (const auto& app : profile.builtInApplications(systemInfo))
        allApps[app.bundleId] = app;

    std::string bundleSuffix = profile.applicationBundleExtension();
    bundleSuffix.insert(bundleSuffix.begin(), '.');
    for (const auto& folder : folders) {
        for (const auto& entry : catalog.applicationsIn(folder)) {
            const std::string& id = entry.app.bundleId;
            if (id.empty())
                continue;
            // A later folder overrides an earlier one entirely: a user's hidden copy of an entry
            // removes the application rather than letting the system's copy show through.
            if (entry.hidden || entry.noDisplay) {
                allApps.erase(id);
                continue;
            }
            InstalledApp app = entry.app;
            removeAll(app.name, bundleSuffix);
            allApps[id] = std::move(app);
        }
    }

    std::vector<std::pair<std::string, const InstalledApp*>> keyed;
    keyed.reserve(allApps.size());
    for (const auto& [id, app] : allApps)
        keyed.emplace_back(lowerCased(app.name), &app);
    // `allApps` is ordered by identifier, so equal names keep a stable, repeatable order.
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    sortedApps.clear();
    sortedApps.reserve(keyed.size());
    for (const auto& [key, app] : keyed)
        sortedApps.push_back(*app);
}

} // namespace zentrivo
