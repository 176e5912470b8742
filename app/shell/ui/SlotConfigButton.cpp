#include "SlotConfigButton.h"

#include "app/apps/BookmarkManager.h"
#include "app/apps/InstalledApps.h"
#include "app/apps/Workspace.h"
#include "app/model/PlatformProfile.h"
#include "app/reticle/ui/SlotIcons.h"
#include "app/shell/PreferencesRules.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QUrl>
#include <filesystem>

namespace zentrivo {

namespace {

/// A plain symbol on a transparent square, for pictures the icon theme may not have.
QIcon symbolIcon(const QString& symbol) {
    constexpr int side = 64;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(128, 128, 128), 3.0);
    painter.setPen(pen);
    painter.drawRoundedRect(QRectF(6, 6, side - 12, side - 12), 10, 10);
    QFont font = painter.font();
    font.setPixelSize(side / 2);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, side, side), Qt::AlignCenter, symbol);
    painter.end();
    return QIcon(pixmap);
}

QString displayPath(const std::string& path) {
    return QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
}

} // namespace

SlotConfigButton::SlotConfigButton(const Collaborators& collaborators, int tag, QWidget* parent)
    : QPushButton(parent), c(collaborators), slotTag(tag) {
    setAcceptDrops(true);
    setIconSize(QSize(48, 48));
    setFixedSize(64, 64);
    setFocusPolicy(Qt::StrongFocus);
    setIcon(placeholderIcon());
    connect(this, &QPushButton::clicked, this, [this] { handleAction(); });
    updateAccessibleName();
}

bool SlotConfigButton::isDark() const {
    return palette().color(QPalette::Window).lightness() < 128;
}

int SlotConfigButton::bookmarkId() const {
    return preferences::bookmarkId(slotId, slotTag);
}

QIcon SlotConfigButton::placeholderIcon() {
    static const QIcon icon = QIcon::fromTheme(QStringLiteral("list-add"), symbolIcon("+"));
    return icon;
}

QIcon SlotConfigButton::lastAppIcon() {
    static const QIcon icon = symbolIcon(QString::fromUtf8("\u21BA"));
    return icon;
}

void SlotConfigButton::setSlotName(const QString& name) {
    slotName = name;
    updateAccessibleName();
}

QString SlotConfigButton::describe() const {
    if (!selected.stringValue)
        return tr("empty");
    const std::string& value = *selected.stringValue;
    switch (selected.type) {
    case ActionType::lastApp:
        return tr("last frontmost app");
    case ActionType::file:
        return QFileInfo(displayPath(value)).fileName();
    case ActionType::app:
    case ActionType::runningApp:
        if (const auto it = c.installedApps.all().find(value); it != c.installedApps.all().end())
            return QString::fromStdString(it->second.name);
        return QString::fromStdString(value);
    }
    return {};
}

void SlotConfigButton::updateAccessibleName() {
    const QString text = slotName.isEmpty() ? describe() : slotName + ": " + describe();
    setAccessibleName(text);
    setToolTip(text);
}

void SlotConfigButton::setImage(Image kind, const QIcon& picture) {
    shownImage = kind;
    setIcon(picture);
}

void SlotConfigButton::showAction(const std::optional<std::string>& stringValue, ActionType type) {
    selected = {stringValue, type};
    switch (type) {
    case ActionType::app:
        if (stringValue) {
            if (QIcon appIcon = c.icons.appIcon(*stringValue); !appIcon.isNull())
                setImage(Image::app, appIcon);
        }
        break;
    case ActionType::file:
        setImage(Image::file, c.icons.fileIcon(stringValue.value_or(""), isDark()));
        break;
    case ActionType::lastApp:
        setImage(Image::lastApp, lastAppIcon());
        break;
    case ActionType::runningApp:
        break;
    }
    updateAccessibleName();
}

bool SlotConfigButton::refuseUnstorable(const Action& action) {
    if (preferences::isStorable(action))
        return false;
    auto* box = new QMessageBox(QMessageBox::Warning, tr("This cannot be kept in a slot"),
                                action.type == ActionType::file
                                    ? tr("The name of “%1” is not valid UTF-8 text, so Zentrivo "
                                         "cannot save it in a slot. Rename it, then choose it "
                                         "again.")
                                          .arg(displayPath(action.stringValue))
                                    : tr("The identifier of the application “%1” is not valid "
                                         "UTF-8 text, so Zentrivo cannot save it in a slot.")
                                          .arg(displayPath(action.stringValue)),
                                QMessageBox::Ok, window());
    box->setObjectName(QStringLiteral("unstorableChoiceMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return true;
}

bool SlotConfigButton::chooseApplication(const std::optional<InstalledApp>& app) {
    if (app && refuseUnstorable(Action{app->bundleId, ActionType::app}))
        return false;
    removeAdditionalMenuItem();
    if (app) {
        QIcon appIcon = c.icons.appIcon(app->bundleId);
        setImage(Image::app, appIcon.isNull()
                                 ? SlotIcons::initialsGlyph(QString::fromStdString(app->name))
                                 : appIcon);
        selected = {app->bundleId, ActionType::app};
    } else {
        setImage(Image::placeholder, placeholderIcon());
        selected = {std::nullopt, ActionType::app};
    }
    updateAccessibleName();
    if (selectionComplete)
        selectionComplete(slotTag, selected.stringValue, ActionType::app);
    return true;
}

void SlotConfigButton::chooseLastApplication() {
    removeAdditionalMenuItem();
    setImage(Image::lastApp, lastAppIcon());
    selected = {std::string(), ActionType::lastApp};
    updateAccessibleName();
    if (selectionComplete)
        selectionComplete(slotTag, std::string(), ActionType::lastApp);
}

bool SlotConfigButton::chooseFile(const std::string& path) {
    if (refuseUnstorable(Action{path, ActionType::file}))
        return false;
    setAllItemsOff();
    removeAdditionalMenuItem();
    setImage(Image::file, c.icons.fileIcon(path, isDark()));
    c.bookmarks.storeBookmark(std::filesystem::path(path), bookmarkId());
    selected = {path, ActionType::file};
    updateAccessibleName();
    if (selectionComplete)
        selectionComplete(slotTag, path, ActionType::file);
    if (choiceMenu)
        insertExtraItem(makeFileItem(path));
    return true;
}

void SlotConfigButton::markApplication(const InstalledApp& app) {
    if (!choiceMenu)
        return;
    removeAdditionalMenuItem();
    bool matched = false;
    for (QAction* item : choiceMenu->actions()) {
        const bool same = item->data().canConvert<InstalledApp>() &&
                          item->data().value<InstalledApp>().bundleId == app.bundleId;
        item->setChecked(same);
        matched = matched || same;
    }
    if (!matched) {
        QAction* item = makeAppItem(app);
        item->setChecked(true);
        insertExtraItem(item);
    }
}

void SlotConfigButton::removeAdditionalMenuItem() {
    // The bookmark belongs to the slot's file, whether or not the menu shows it yet.
    if (selected.type == ActionType::file && selected.stringValue)
        c.bookmarks.removeBookmark(std::filesystem::path(*selected.stringValue), bookmarkId());
    if (!extraItem)
        return;
    if (choiceMenu)
        choiceMenu->removeAction(extraItem);
    extraItem->deleteLater();
    extraItem = nullptr;
}

void SlotConfigButton::insertExtraItem(QAction* item) {
    const QList<QAction*> items = choiceMenu->actions();
    choiceMenu->insertAction(items.value(1, nullptr), item);
    extraItem = item;
}

void SlotConfigButton::setAllItemsOff() {
    if (!choiceMenu)
        return;
    for (QAction* item : choiceMenu->actions())
        item->setChecked(false);
}

QAction* SlotConfigButton::makeAppItem(const InstalledApp& app) {
    auto* item =
        new QAction(c.icons.appIcon(app.bundleId), QString::fromStdString(app.name), choiceMenu);
    item->setCheckable(true);
    item->setData(QVariant::fromValue(app));
    item->setObjectName(QString::fromStdString(app.bundleId));
    connect(item, &QAction::triggered, this, [this, item] { handleAppSelection(item); });
    return item;
}

QAction* SlotConfigButton::makeFileItem(const std::string& path) {
    auto* item =
        new QAction(c.icons.fileIcon(path), QFileInfo(displayPath(path)).fileName(), choiceMenu);
    item->setCheckable(true);
    item->setChecked(true);
    // Picking the current file again changes nothing; keep it checked.
    connect(item, &QAction::triggered, item, [item] { item->setChecked(true); });
    return item;
}

void SlotConfigButton::buildMenu() {
    choiceMenu = new QMenu(this);
    choiceMenu->setObjectName(QStringLiteral("slotMenu"));

    auto* none = choiceMenu->addAction(QStringLiteral("-"));
    none->setCheckable(true);
    none->setObjectName(QStringLiteral("noneItem"));
    connect(none, &QAction::triggered, this, [this, none] { handleAppSelection(none); });

    auto* openFile = choiceMenu->addAction(QIcon::fromTheme(QStringLiteral("folder")),
                                           tr("Open File or Folder"));
    openFile->setCheckable(true);
    openFile->setObjectName(QStringLiteral("openFileItem"));
    connect(openFile, &QAction::triggered, this, [this, openFile] {
        // This item only opens the dialog; it never stays checked itself.
        openFile->setChecked(false);
        handleFileSelection();
    });

    auto* lastApp = choiceMenu->addAction(lastAppIcon(), tr("Last Frontmost App"));
    lastApp->setCheckable(true);
    lastApp->setObjectName(QStringLiteral("lastAppItem"));
    lastApp->setChecked(selected.stringValue && selected.type == ActionType::lastApp);
    connect(lastApp, &QAction::triggered, this,
            [this, lastApp] { handleLastAppSelection(lastApp); });

    choiceMenu->addSeparator();

    bool appChecked = false;
    for (const InstalledApp& app : c.installedApps.sorted()) {
        QAction* item = makeAppItem(app);
        const bool on = selected.type == ActionType::app && selected.stringValue == app.bundleId;
        item->setChecked(on);
        appChecked = appChecked || on;
        choiceMenu->addAction(item);
    }

    if (selected.type == ActionType::file && selected.stringValue) {
        insertExtraItem(makeFileItem(*selected.stringValue));
    } else if (!appChecked && selected.type == ActionType::app && selected.stringValue) {
        const auto path = c.workspace.applicationPath(*selected.stringValue);
        if (!path)
            return;
        // The entry's own name when it reads as an application, else its identifier.
        const auto entry = c.workspace.applicationAt(*path);
        QAction* item = makeAppItem(InstalledApp{entry ? entry->name : *selected.stringValue,
                                                 *selected.stringValue, *path});
        item->setChecked(true);
        insertExtraItem(item);
    }
}

void SlotConfigButton::handleAction() {
    if (!choiceMenu)
        buildMenu();
    choiceMenu->popup(mapToGlobal(QPoint(width(), height() / 2)));
}

void SlotConfigButton::handleAppSelection(QAction* sender) {
    std::optional<InstalledApp> app;
    if (sender->data().canConvert<InstalledApp>())
        app = sender->data().value<InstalledApp>();
    if (app && !preferences::isStorable(Action{app->bundleId, ActionType::app})) {
        sender->setChecked(false);
        refuseUnstorable(Action{app->bundleId, ActionType::app});
        return;
    }
    setAllItemsOff();
    sender->setChecked(true);
    chooseApplication(app);
}

void SlotConfigButton::handleFileSelection() {
    if (!window())
        return;
    if (openPanel) {
        openPanel->raise();
        return;
    }
    auto* dialog = new QFileDialog(window(), tr("Choose a File or Folder"));
    dialog->setObjectName(QStringLiteral("openPanel"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own dialog, so that one dialog can pick files and folders alike: it follows what is
    // selected.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    connect(dialog, &QFileDialog::currentChanged, dialog, [dialog](const QString& current) {
        dialog->setFileMode(QFileInfo(current).isDir() ? QFileDialog::Directory
                                                       : QFileDialog::ExistingFile);
    });
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& chosen) {
        if (chosen.isEmpty())
            return;
        const QByteArray bytes = QFile::encodeName(chosen);
        const std::string path(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        chooseFile(path);
    });
    openPanel = dialog;
    dialog->open();
}

void SlotConfigButton::handleLastAppSelection(QAction* sender) {
    setAllItemsOff();
    sender->setChecked(true);
    chooseLastApplication();
}

std::vector<std::string> SlotConfigButton::filePaths(const QMimeData& data) {
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile())
            continue;
        const QByteArray bytes = QFile::encodeName(url.toLocalFile());
        paths.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return paths;
}

void SlotConfigButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (!receivingDrag)
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 3.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
}

void SlotConfigButton::dragEnterEvent(QDragEnterEvent* event) {
    receivingDrag = true;
    update();
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void SlotConfigButton::dragLeaveEvent(QDragLeaveEvent* event) {
    receivingDrag = false;
    update();
    event->accept();
}

void SlotConfigButton::dropEvent(QDropEvent* event) {
    receivingDrag = false;
    update();
    const auto paths = filePaths(*event->mimeData());
    std::optional<InstalledApp> app;
    if (preferences::acceptsApplicationDrop(paths, c.profile.applicationBundleExtension()))
        app = c.workspace.applicationAt(paths.front());
    if (!app || !chooseApplication(*app)) {
        event->ignore();
        return;
    }
    markApplication(*app);
    event->acceptProposedAction();
}

} // namespace zentrivo
