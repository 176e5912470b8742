#include "StatusMenuEntries.h"

namespace zentrivo {
namespace {

/// A name read from a desktop entry's file name carries its extension; the menu shows names.
std::string withoutExtension(std::string name) {
    static constexpr std::string_view extension = ".desktop";
    for (auto at = name.find(extension); at != std::string::npos; at = name.find(extension, at))
        name.erase(at, extension.size());
    return name;
}

/// The name the user knows the application at `path` by; its file name when the entry cannot
/// be read.
std::string displayName(const Workspace& workspace, const std::string& path) {
    if (const auto app = workspace.applicationAt(path); app && !app->name.empty())
        return app->name;
    return lastPathComponent(path);
}

void appendPanel(std::vector<StatusMenuEntry>& menu, const ReticleSpec& spec, const char* separator,
                 const Workspace& workspace) {
    std::vector<StatusMenuEntry> entries;
    for (const Action& action : spec.ringActions()) {
        switch (action.type) {
        case ActionType::app:
            if (const auto path = workspace.applicationPath(action.stringValue))
                entries.push_back(
                    {"", withoutExtension(displayName(workspace, *path)), *path, action});
            break;
        case ActionType::file:
            entries.push_back(
                {"", lastPathComponent(action.stringValue), action.stringValue, action});
            break;
        case ActionType::lastApp:
        case ActionType::runningApp:
            break;
        }
    }
    if (entries.empty())
        return;
    menu.push_back({separator, "", "", std::nullopt});
    menu.insert(menu.end(), entries.begin(), entries.end());
}

} // namespace

std::string lastPathComponent(const std::string& path) {
    auto end = path.find_last_not_of('/');
    if (end == std::string::npos)
        return path.empty() ? path : "/";
    const auto start = path.rfind('/', end);
    return path.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

std::vector<StatusMenuEntry> statusMenuEntries(const ReticleSpec& mainSpec,
                                               const ReticleSpec& farSpec,
                                               const Workspace& workspace) {
    std::vector<StatusMenuEntry> menu;
    appendPanel(menu, mainSpec, mainSpecSeparator, workspace);
    appendPanel(menu, farSpec, farSpecSeparator, workspace);
    return menu;
}

} // namespace zentrivo
