#include "SlotDrops.h"

#include "app/apps/FrontmostAppDetection.h"
#include "app/apps/Workspace.h"
#include "app/core/NotificationCenter.h"
#include "app/core/Notifications.h"
#include "app/model/AppUpdate.h"
#include "app/model/ReticleSpecModel.h"
#include "app/settings/Defaults.h"

#include <system_error>

namespace zentrivo {

namespace {

namespace fs = std::filesystem;

/// An application on this desktop is its desktop entry file.
bool isApplication(const fs::path& path) {
    return path.extension() == ".desktop";
}

bool isDirectory(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

} // namespace

std::string fileUrl(const std::string& path) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const unsigned char byte : path) {
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                           byte == '_' || byte == '~' || byte == '/';
        if (plain) {
            url += static_cast<char>(byte);
        } else {
            url += '%';
            url += hex[byte >> 4];
            url += hex[byte & 0xF];
        }
    }
    return url;
}

SlotDrops::SlotDrops(Collaborators collaborators) : c(std::move(collaborators)) {}

bool SlotDrops::replaces(Directional position, const DraggedItems& items) const {
    return c.defaults.dropInReticleReplaces.value() != OptionalBool::userDisabled &&
           position != Directional::c && items.files.size() == 1 &&
           isApplication(items.files.front());
}

SlotDrops::Entered SlotDrops::draggingEntered(Directional position, bool far, bool hasImage,
                                              const DraggedItems& items) const {
    if (replaces(position, items))
        return {DragOperation::copy, true};
    if (!hasImage)
        return {DragOperation::generic, false};
    const auto& action = c.model.action(position, far);
    if (!action || action->type != ActionType::file)
        return {DragOperation::link, true};
    if (!isDirectory(action->stringValue))
        // A desktop entry in a file slot is an application that can open what is dropped.
        return {isApplication(action->stringValue) ? DragOperation::link : DragOperation::generic,
                true};
    return {DragOperation::move, true};
}

SlotDrops::Outcome SlotDrops::performDrop(Directional position, bool far, bool hasImage,
                                          const DraggedItems& items,
                                          const std::function<void()>& slotReplaced) {
    if (replaces(position, items)) {
        // An entry without an identifier (one outside the application folders) cannot stand in
        // a slot; it is opened with the slot's application like any other file instead.
        if (const auto app = c.workspace.applicationAt(items.files.front())) {
            const Action action{app->bundleId, ActionType::app};
            if (far)
                c.model.setFarSlot(action, position);
            else
                c.model.setMainSlot(action, position);
            if (slotReplaced)
                slotReplaced();
            c.notificationCenter.post(notifications::appUpdatedInReticle,
                                      AppUpdate{action, position, far, *app});
            c.notificationCenter.post(notifications::appsUpdated);
            return Outcome::replaced;
        }
    }
    if (!hasImage)
        return Outcome::refused;
    const auto& action = c.model.action(position, far);
    if (!action)
        return Outcome::refused;
    switch (action->type) {
    case ActionType::app:
    case ActionType::runningApp:
        if (const auto path = c.workspace.applicationPath(action->stringValue))
            return openWith(*path, items) ? Outcome::handled : Outcome::refused;
        return Outcome::refused;
    case ActionType::lastApp:
        if (const auto& last =
                c.frontmostAppDetection.lastApp(c.defaults.lastFrontAppCanBeZentrivo.value()))
            if (const auto path = c.workspace.applicationPath(last->bundleId))
                return openWith(*path, items) ? Outcome::handled : Outcome::refused;
        return Outcome::refused;
    case ActionType::file:
        break;
    }
    const std::string& target = action->stringValue;
    if (!isDirectory(target)) {
        if (isApplication(target))
            return openWith(target, items) ? Outcome::handled : Outcome::refused;
        return Outcome::refused;
    }
    // Links have no file to move; only the dropped files go into the folder.
    if (items.files.empty() || !c.moveIntoFolder)
        return Outcome::refused;
    c.moveIntoFolder(std::vector<fs::path>(items.files.begin(), items.files.end()), target);
    return Outcome::handled;
}

bool SlotDrops::openWith(const std::string& applicationPath, const DraggedItems& items) {
    bool opened = false;
    if (!items.files.empty()) {
        std::vector<std::string> urls;
        for (const auto& file : items.files)
            urls.push_back(fileUrl(file));
        opened = c.workspace.openURLs(urls, applicationPath) || opened;
    }
    if (!items.links.empty())
        opened = c.workspace.openURLs(items.links, applicationPath) || opened;
    return opened;
}

} // namespace zentrivo
