#include "AppListWindow.h"

#include "app/apps/InstalledApps.h"
#include "app/reticle/ui/SlotIcons.h"

#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>

namespace zentrivo {

AppListModel::AppListModel(const InstalledApps& installedApps, SlotIcons& icons, QObject* parent)
    : QAbstractListModel(parent), installedApps(installedApps), icons(icons) {}

int AppListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(installedApps.sorted().size());
}

QVariant AppListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const InstalledApp& app = installedApps.sorted()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return QString::fromStdString(app.name);
    case Qt::DecorationRole: {
        QIcon icon = icons.appIcon(app.bundleId);
        return icon.isNull() ? SlotIcons::initialsGlyph(QString::fromStdString(app.name)) : icon;
    }
    case Qt::SizeHintRole:
        return QSize(-1, rowHeight);
    case Qt::ToolTipRole:
        return QString::fromStdString(app.bundleId);
    default:
        return {};
    }
}

Qt::ItemFlags AppListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

QStringList AppListModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

Qt::DropActions AppListModel::supportedDragActions() const {
    return Qt::CopyAction | Qt::LinkAction;
}

QMimeData* AppListModel::mimeData(const QModelIndexList& indexes) const {
    QList<QUrl> urls;
    for (const QModelIndex& index : indexes) {
        if (!index.isValid() || index.row() >= rowCount())
            continue;
        const InstalledApp& app = installedApps.sorted()[static_cast<std::size_t>(index.row())];
        urls << QUrl::fromLocalFile(QFile::decodeName(app.path.c_str()));
    }
    if (urls.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

std::string AppListModel::bundleId(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    return installedApps.sorted()[static_cast<std::size_t>(row)].bundleId;
}

void AppListModel::reload() {
    beginResetModel();
    endResetModel();
}

AppListWindow::AppListWindow(const Collaborators& collaborators, QWidget* parent)
    : QWidget(parent, Qt::Window), c(collaborators),
      rows(new AppListModel(collaborators.installedApps, collaborators.icons, this)),
      list(new QListView(this)) {
    setObjectName(QStringLiteral("AppListWindowController"));
    setWindowTitle(tr("Zentrivo Applications"));
    setAccessibleName(windowTitle());
    list->setObjectName(QStringLiteral("appListOutlineView"));
    list->setAccessibleName(tr("Installed applications"));
    list->setModel(rows);
    list->setIconSize(QSize(AppListModel::iconSide, AppListModel::iconSide));
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setDragEnabled(true);
    list->setDragDropMode(QAbstractItemView::DragOnly);
    list->setDefaultDropAction(Qt::CopyAction);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSpacing(0);
    list->installEventFilter(this);
    connect(list, &QListView::doubleClicked, this, [this] { openSelectedApp(); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list);
    resize(300, 480);
}

void AppListWindow::openSelectedApp() {
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const std::string id = rows->bundleId(selected.front().row());
    if (!id.empty() && c.openApplication)
        c.openApplication(id);
}

bool AppListWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Return alone or with a modifier that still types one character; the keypad's Enter
        // and anything else keep their usual meaning.
        if (key->key() == Qt::Key_Return && key->text().size() == 1) {
            openSelectedApp();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool AppListWindow::event(QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) {
        // The list may have been scanned again meanwhile; keep the selected application.
        const QModelIndexList selected = list->selectionModel()->selectedIndexes();
        const std::string id =
            selected.isEmpty() ? std::string() : rows->bundleId(selected.front().row());
        rows->reload();
        for (int row = 0; !id.empty() && row < rows->rowCount(); ++row)
            if (rows->bundleId(row) == id)
                list->setCurrentIndex(rows->index(row));
    }
    return QWidget::event(event);
}

} // namespace zentrivo
