#pragma once

#include "app/model/Directional.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace zentrivo {

class Defaults;
class FrontmostAppDetection;
class NotificationCenter;
class ReticleSpecModel;
class Workspace;

/// What a drop on a slot would do, as told to the program the drag came from while it is over the
/// slot. The values are those of the platform's drag operations.
enum class DragOperation : int {
    /// The drop is refused.
    none = 0,
    /// The dropped application will be put into the slot.
    copy = 1,
    /// The dropped items will be opened with the slot's application.
    link = 2,
    /// The slot takes the drop but does nothing with it.
    generic = 4,
    /// The dropped files will be moved into the slot's folder.
    move = 16,
};

/// What was dragged: local files (absolute paths, from `file:` URLs) and any other URLs (links,
/// as dragged), each in the order they were dragged. A local file is never also a link, so it is
/// opened once.
struct DraggedItems {
    std::vector<std::string> files;
    std::vector<std::string> links;
};

/// The `file:` URL of an absolute path, every byte outside the unreserved set and '/' escaped.
std::string fileUrl(const std::string& path);

/// The rules of drops on the reticle's slots: a single application dropped on a ring slot takes
/// the slot (unless "dropInReticleReplaces" is off), files and links dropped on an application's
/// slot are opened with it, files dropped on a folder's slot are moved into the folder. An
/// application is a desktop entry file (".desktop"). Main thread only.
class SlotDrops {
public:
    /// Moves `items` into `folder`, asking the user about names already taken there.
    using MoveIntoFolder = std::function<void(const std::vector<std::filesystem::path>& items,
                                              const std::filesystem::path& folder)>;

    struct Collaborators {
        Defaults& defaults;
        ReticleSpecModel& model;
        NotificationCenter& notificationCenter;
        Workspace& workspace;
        const FrontmostAppDetection& frontmostAppDetection;
        MoveIntoFolder moveIntoFolder;
    };

    /// The answer while a drag is over a slot: the operation, and whether the slot shows that it
    /// is receiving (the tint).
    struct Entered {
        DragOperation operation = DragOperation::none;
        bool receiving = false;
        bool operator==(const Entered&) const = default;
    };

    /// What a drop did.
    enum class Outcome {
        /// Nothing: the program the drag came from learns that the drop was refused.
        refused,
        /// The dropped application took the slot (the model holds it, both notifications went).
        replaced,
        /// The slot's application or folder took the items.
        handled,
    };

    explicit SlotDrops(Collaborators collaborators);

    /// The drag over slot `position` of the near (`far` false) or far panel, whose button shows an
    /// image or not (`hasImage`).
    Entered draggingEntered(Directional position, bool far, bool hasImage,
                            const DraggedItems& items) const;

    /// The drop. `slotReplaced` runs when the dropped application has taken the slot, before the
    /// notifications are posted: the view reloads and the manager clears its selection there.
    Outcome performDrop(Directional position, bool far, bool hasImage, const DraggedItems& items,
                        const std::function<void()>& slotReplaced);

private:
    bool replaces(Directional position, const DraggedItems& items) const;
    bool openWith(const std::string& applicationPath, const DraggedItems& items);

    Collaborators c;
};

} // namespace zentrivo
