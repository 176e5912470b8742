#include "SlotIcons.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QTextStream>

namespace zentrivo {

namespace {

struct EntryKeys {
    QString name;
    QString icon;
};

/// The unlocalised Name and Icon of a desktop entry's main group. A missing or unreadable file
/// gives empty keys.
EntryKeys readDesktopEntry(const QString& path) {
    EntryKeys keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    QTextStream in(&file);
    bool inMainGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const auto equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Name"))
            keys.name = value;
        else if (key == QLatin1String("Icon"))
            keys.icon = value;
    }
    return keys;
}

QIcon themeOrFileIcon(const QString& icon) {
    if (icon.isEmpty())
        return {};
    if (QFileInfo(icon).isAbsolute()) {
        QIcon fromFile(icon);
        return fromFile.availableSizes().isEmpty() && fromFile.pixmap(64).isNull() ? QIcon()
                                                                                   : fromFile;
    }
    return QIcon::fromTheme(icon);
}

} // namespace

SlotIcons::SlotIcons(const Workspace& workspace) : workspace(workspace) {}

void SlotIcons::installFallbackTheme() {
    if (QIcon::fallbackThemeName().isEmpty() ||
        QIcon::fallbackThemeName() == QLatin1String("hicolor"))
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    QStringList paths = QIcon::themeSearchPaths();
    for (const auto* dir : {"/usr/local/share/icons", "/usr/share/icons"}) {
        if (!paths.contains(QLatin1String(dir)))
            paths << QLatin1String(dir);
    }
    QIcon::setThemeSearchPaths(paths);
}

QIcon SlotIcons::appIcon(const std::string& bundleId) {
    const QString key = QString::fromStdString(bundleId);
    if (const auto it = appCache.constFind(key); it != appCache.constEnd())
        return *it;
    const auto path = workspace.applicationPath(bundleId);
    if (!path)
        return {};
    const EntryKeys entry = readDesktopEntry(QString::fromStdString(*path));
    QIcon icon = themeOrFileIcon(entry.icon);
    if (icon.isNull())
        icon = initialsGlyph(entry.name.isEmpty() ? key.section('.', -1) : entry.name);
    appCache.insert(key, icon);
    return icon;
}

QIcon SlotIcons::fileIcon(const std::string& path) {
    if (path.empty())
        return {};
    const QString qpath = QString::fromStdString(path);
    const QFileInfo info(qpath);
    static const QMimeDatabase mimeDatabase;
    const QMimeType type = info.isDir() ? mimeDatabase.mimeTypeForName("inode/directory")
                                        : mimeDatabase.mimeTypeForFile(info);
    for (const QString& name :
         {type.iconName(), type.genericIconName(),
          info.isDir() ? QStringLiteral("folder") : QStringLiteral("text-x-generic")}) {
        QIcon icon = QIcon::fromTheme(name);
        if (!icon.isNull())
            return icon;
    }
    return initialsGlyph(info.fileName());
}

void SlotIcons::clear() {
    appCache.clear();
}

QString SlotIcons::initials(const QString& name) {
    QString result;
    for (const QString& word :
         name.split(QRegularExpression(QStringLiteral("[\\s._-]+")), Qt::SkipEmptyParts)) {
        result += word.front().toUpper();
        if (result.size() == 2)
            break;
    }
    return result.isEmpty() ? QStringLiteral("?") : result;
}

QIcon SlotIcons::initialsGlyph(const QString& name) {
    constexpr int side = 128;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // A colour that stays the same for the same name, so slots can be told apart.
    const QColor badge = QColor::fromHsv(static_cast<int>(qHash(name) % 360), 120, 190);
    painter.setPen(Qt::NoPen);
    painter.setBrush(badge);
    painter.drawRoundedRect(QRectF(4, 4, side - 8, side - 8), 24, 24);
    QFont font = painter.font();
    font.setPixelSize(side * 2 / 5);
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, side, side), Qt::AlignCenter, initials(name));
    painter.end();
    return QIcon(pixmap);
}

} // namespace zentrivo
