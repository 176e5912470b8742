#pragma once

#include "app/apps/Workspace.h"
#include "app/core/Log.h"
#include "app/model/Action.h"

#include <QHash>
#include <QIcon>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

namespace zentrivo {

class Defaults;
struct ReticleSpec;

/// The pictures of the reticle's slots, each drawn into a 70 × 70 image: an application's icon
/// from its desktop entry through the icon theme; a file's icon by its content type; a plain
/// folder's icon with the folder's initials written across it; and a row of coloured dots for a
/// file's tags. Finished images are kept per action until the next bulk rebuild. The label and
/// the dots are painted when the image is first drawn, at the size it is drawn.
class SlotIcons {
public:
    /// A custom icon a file manager gave a path (an image path or a theme icon name), if any.
    using CustomIconLookup = std::function<std::optional<std::string>(const std::string& path)>;

    struct Collaborators {
        const Workspace& workspace;
        const Defaults& defaults;
        Log& log;
        /// May be empty: then only `.directory` files tell of custom folder icons.
        CustomIconLookup customIcon = {};
    };

    /// The edge of every image, in its own units.
    static constexpr int imageSize = 70;

    explicit SlotIcons(Collaborators collaborators);
    SlotIcons(const SlotIcons&) = delete;
    SlotIcons& operator=(const SlotIcons&) = delete;

    /// Makes theme icons findable where the platform sets no theme (bare X, offscreen): the
    /// fallback theme becomes Adwaita and the system icon folders join the search path. Call
    /// once after the QApplication exists.
    static void installFallbackTheme();

    /// The image of one slot's action; a null icon for none. `dark` picks the folder label's
    /// colour. A cached image is returned as it is; an application that is not installed, and
    /// last- and running-application slots, give none and leave nothing cached.
    QIcon icon(const Action& action, bool dark);
    /// Empties the cache and fills it with the images of the eight ring slots of `mainSpec`.
    void rebuildIcons(const ReticleSpec& mainSpec, bool dark);
    /// Whether an image for `action` is cached.
    bool isCached(const Action& action) const;

    /// The icon of the installed application `bundleId` (the initials glyph when its entry
    /// names no icon the theme has); a null icon when none is installed. Not cached.
    QIcon appIcon(const std::string& bundleId) const;

    /// A file's or folder's icon with the folder label (no tag dots), for the preferences' own
    /// slot pictures; a null icon for an empty path. Not cached.
    QIcon fileIcon(const std::string& path, bool dark = false) const;

    /// A path's own icon, and whether that is the theme's standard folder icon (a folder with
    /// neither a custom icon nor a special meaning).
    struct BaseIcon {
        QIcon icon;
        bool standardFolder = false;
    };
    BaseIcon baseIcon(const std::string& path) const;

    /// `icon` with the initials of the folder `path` across it when `standardFolder` and `path`
    /// is a folder; otherwise `icon` unchanged. The setting `folderLabel` is read when the image
    /// is drawn: only `acronym` writes the initials.
    QIcon folderLabeled(const std::string& path, const QIcon& icon, bool standardFolder,
                        bool dark) const;
    /// `icon` with a dot for each coloured tag of `path`; `icon` unchanged when `showTags` is
    /// disabled, the file has no tags or they cannot be read (then one log line).
    QIcon tagged(const std::string& path, const QIcon& icon, bool dark) const;

    /// A round badge with up to two initials of `name` (the last resort).
    static QIcon initialsGlyph(const QString& name);
    /// The initials the glyph shows: the first letters of the first two words, upper-cased.
    static QString initials(const QString& name);

private:
    QIcon compute(const Action& action, bool dark) const;

    Collaborators c;
    std::unordered_map<Action, QIcon> cache;
};

} // namespace zentrivo
