#pragma once

#include "app/apps/Workspace.h"

#include <QHash>
#include <QIcon>
#include <QString>
#include <string>

namespace zentrivo {

/// The pictures of the reticle's slots: an application's icon from its desktop entry through
/// the icon theme, a file's icon by its content type, and, when the theme has nothing, a glyph
/// with the name's initials, so a slot never goes blank on a bare X server.
class SlotIcons {
public:
    explicit SlotIcons(const Workspace& workspace);
    SlotIcons(const SlotIcons&) = delete;
    SlotIcons& operator=(const SlotIcons&) = delete;

    /// Makes theme icons findable where the platform sets no theme (bare X, offscreen): the
    /// fallback theme becomes Adwaita and the system icon folders join the search path. Call
    /// once after the QApplication exists.
    static void installFallbackTheme();

    /// The icon of the installed application `bundleId`; a null icon when none is installed.
    QIcon appIcon(const std::string& bundleId);
    /// The icon of a file or folder by its content type; a null icon for an empty path.
    QIcon fileIcon(const std::string& path);
    /// Forgets every looked-up icon (the installed applications or the theme changed).
    void clear();

    /// A round badge with up to two initials of `name` (the last resort).
    static QIcon initialsGlyph(const QString& name);
    /// The initials the glyph shows: the first letters of the first two words, upper-cased.
    static QString initials(const QString& name);

private:
    const Workspace& workspace;
    QHash<QString, QIcon> appCache;
};

} // namespace zentrivo
