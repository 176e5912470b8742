#pragma once

#include <QColor>
#include <QString>

class QPainter;

namespace zentrivo::folderLabel {

/// The initials written on a folder's icon: the first character of every piece of `folderName`
/// split at single spaces (empty pieces add nothing), at most two, case kept.
/// "Project Files" gives "PF", " x y" gives "xy".
QString acronym(const QString& folderName);

/// The label's colour on a dark or a light panel.
QColor textColor(bool dark);

/// Writes `text` across a 70 × 70 icon painted at the origin of `painter`: system font, size
/// 26, semibold, centred horizontally, its centre a little below the icon's middle.
void draw(QPainter& painter, const QString& text, bool dark);

/// The theme icon of a special folder: the home folder and the XDG user folders (Desktop,
/// Documents, Downloads, Music, Pictures, Videos, Templates, Public); empty for any other path.
QString specialFolderIconName(const QString& path);

/// The `Icon=` of a `.directory` file inside `folder` (a theme name or an image path); empty
/// when there is none.
QString directoryFileIcon(const QString& folder);

} // namespace zentrivo::folderLabel
