#include "SlotIcons.h"

#include "FolderLabel.h"
#include "TagDots.h"
#include "app/apps/FileTags.h"
#include "app/model/ReticleSpec.h"
#include "app/settings/Defaults.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QIconEngine>
#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QStyle>
#include <QTextStream>
#include <functional>
#include <vector>

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

/// An image drawn on demand in a 70 × 70 space scaled to whatever size it is drawn at: a base
/// icon, then each layer over it.
class LayeredIconEngine final : public QIconEngine {
public:
    using Layer = std::function<void(QPainter&)>;
    LayeredIconEngine(QIcon base, std::vector<Layer> layers)
        : base(std::move(base)), layers(std::move(layers)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        constexpr double side = SlotIcons::imageSize;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / side, rect.height() / side);
        base.paint(painter, QRect(0, 0, int(side), int(side)), Qt::AlignCenter, mode, state);
        for (const auto& layer : layers)
            layer(*painter);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(), size), mode, state);
        return pixmap;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(SlotIcons::imageSize, SlotIcons::imageSize)};
    }
    bool isNull() override { return false; }
    QIconEngine* clone() const override { return new LayeredIconEngine(base, layers); }
    QString key() const override { return QStringLiteral("zentrivo-layered"); }

private:
    QIcon base;
    std::vector<Layer> layers;
};

} // namespace

SlotIcons::SlotIcons(Collaborators collaborators) : c(std::move(collaborators)) {}

void SlotIcons::installFallbackTheme() {
    if (QIcon::fallbackThemeName().isEmpty() ||
        QIcon::fallbackThemeName() == QLatin1String("hicolor"))
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    // Without a platform theme (offscreen) Qt looks nowhere, not even in the fallback.
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("hicolor"));
    QStringList paths = QIcon::themeSearchPaths();
    for (const auto* dir : {"/usr/local/share/icons", "/usr/share/icons"}) {
        if (!paths.contains(QLatin1String(dir)))
            paths << QLatin1String(dir);
    }
    QIcon::setThemeSearchPaths(paths);
}

QIcon SlotIcons::icon(const Action& action, bool dark) {
    if (const auto it = cache.find(action); it != cache.end())
        return it->second;
    QIcon image = compute(action, dark);
    if (image.isNull())
        cache.erase(action);
    else
        cache.emplace(action, image);
    return image;
}

void SlotIcons::rebuildIcons(const ReticleSpec& mainSpec, bool dark) {
    cache.clear();
    for (const auto& slot : {mainSpec.tl, mainSpec.t, mainSpec.tr, mainSpec.l, mainSpec.r,
                             mainSpec.bl, mainSpec.b, mainSpec.br}) {
        if (!slot)
            continue;
        QIcon image = compute(*slot, dark);
        if (image.isNull())
            cache.erase(*slot);
        else
            cache.insert_or_assign(*slot, std::move(image));
    }
}

bool SlotIcons::isCached(const Action& action) const {
    return cache.contains(action);
}

QIcon SlotIcons::compute(const Action& action, bool dark) const {
    switch (action.type) {
    case ActionType::app:
        return appIcon(action.stringValue);
    case ActionType::file: {
        const BaseIcon base = baseIcon(action.stringValue);
        if (base.icon.isNull())
            return {};
        return tagged(action.stringValue,
                      folderLabeled(action.stringValue, base.icon, base.standardFolder, dark),
                      dark);
    }
    case ActionType::lastApp:
    case ActionType::runningApp:
        // These slots get their pictures from the application they stand for.
        return {};
    }
    return {};
}

QIcon SlotIcons::appIcon(const std::string& bundleId) const {
    const auto path = c.workspace.applicationPath(bundleId);
    if (!path)
        return {};
    const EntryKeys entry = readDesktopEntry(QString::fromStdString(*path));
    QIcon icon = themeOrFileIcon(entry.icon);
    if (icon.isNull()) {
        const QString key = QString::fromStdString(bundleId);
        icon = initialsGlyph(entry.name.isEmpty() ? key.section('.', -1) : entry.name);
    }
    return icon;
}

SlotIcons::BaseIcon SlotIcons::baseIcon(const std::string& path) const {
    if (path.empty())
        return {};
    const QString qpath = QString::fromStdString(path);
    const QFileInfo info(qpath);
    if (info.isDir()) {
        // A folder the user gave an icon of its own, then the home and user folders, which the
        // theme draws each in its own way; only the rest show the plain folder icon.
        QString custom = folderLabel::directoryFileIcon(qpath);
        if (custom.isEmpty() && c.customIcon) {
            if (const auto found = c.customIcon(path))
                custom = QString::fromStdString(*found);
        }
        if (!custom.isEmpty()) {
            if (QIcon icon = themeOrFileIcon(custom); !icon.isNull())
                return {icon, false};
        }
        if (const QString special = folderLabel::specialFolderIconName(qpath); !special.isEmpty())
            if (QIcon icon = QIcon::fromTheme(special); !icon.isNull())
                return {icon, false};
        QIcon folder = QIcon::fromTheme(QStringLiteral("folder"));
        if (folder.isNull())
            folder = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
        return {folder, true};
    }
    if (info.suffix() == QLatin1String("desktop")) {
        // A desktop entry in a file slot is an application: show its own icon.
        const EntryKeys entry = readDesktopEntry(qpath);
        if (QIcon icon = themeOrFileIcon(entry.icon); !icon.isNull())
            return {icon, false};
    }
    static const QMimeDatabase mimeDatabase;
    const QMimeType type = mimeDatabase.mimeTypeForFile(info);
    for (const QString& name :
         {type.iconName(), type.genericIconName(), QStringLiteral("text-x-generic")}) {
        QIcon icon = QIcon::fromTheme(name);
        if (!icon.isNull())
            return {icon, false};
    }
    // The style's own picture: every Qt style has one, so a file slot never goes blank.
    return {QApplication::style()->standardIcon(QStyle::SP_FileIcon), false};
}

QIcon SlotIcons::fileIcon(const std::string& path, bool dark) const {
    const BaseIcon base = baseIcon(path);
    return folderLabeled(path, base.icon, base.standardFolder, dark);
}

QIcon SlotIcons::folderLabeled(const std::string& path, const QIcon& icon, bool standardFolder,
                               bool dark) const {
    if (icon.isNull() || !standardFolder || !QFileInfo(QString::fromStdString(path)).isDir())
        return icon;
    const QString text = folderLabel::acronym(QFileInfo(QString::fromStdString(path)).fileName());
    const Defaults& defaults = c.defaults;
    return QIcon(new LayeredIconEngine(icon, {[&defaults, text, dark](QPainter& painter) {
                                           // Read when drawn, so a changed setting shows at the
                                           // next paint.
                                           if (defaults.folderLabel.value() == FolderLabel::acronym)
                                               folderLabel::draw(painter, text, dark);
                                       }}));
}

QIcon SlotIcons::tagged(const std::string& path, const QIcon& icon, bool dark) const {
    if (icon.isNull() || c.defaults.showTags.value() == OptionalBool::userDisabled)
        return icon;
    const FileTagNames tags = readFileTagNames(path);
    if (tags.outcome == FileTagNames::Outcome::failed) {
        c.log.error("unable to get tags");
        return icon;
    }
    if (tags.outcome == FileTagNames::Outcome::none)
        return icon;
    std::vector<LabelColor> colors = tagDotColors(tags.names);
    if (colors.empty())
        return icon;
    return QIcon(
        new LayeredIconEngine(icon, {[colors = std::move(colors), dark](QPainter& painter) {
                                  tagDots::draw(painter, colors, dark);
                              }}));
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
