#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QWidget>
#include <functional>
#include <string>

namespace zentrivo {

class InstalledApps;
class SlotIcons;

/// The installed applications as rows of icon and name, read from the installed-applications
/// list at each question (it keeps no copy). A row drags as the file URL of its desktop entry.
class AppListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    AppListModel(const InstalledApps& installedApps, SlotIcons& icons, QObject* parent = nullptr);

    /// Rows are 30 pixels high; icons 25 by 25.
    static constexpr int rowHeight = 30;
    static constexpr int iconSide = 25;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

    /// The bundle identifier of a row; empty for a row that is not there.
    std::string bundleId(int row) const;
    /// Takes the list as it is now.
    void reload();

private:
    const InstalledApps& installedApps;
    SlotIcons& icons;
};

/// The window with the application list: drag a row onto a slot, or open it with a double
/// click or Return.
class AppListWindow final : public QWidget {
    Q_OBJECT
public:
    struct Collaborators {
        const InstalledApps& installedApps;
        SlotIcons& icons;
        /// Starts (or brings forward) the installed application with that identifier.
        std::function<void(const std::string& bundleId)> openApplication;
    };

    explicit AppListWindow(const Collaborators& collaborators, QWidget* parent = nullptr);

    QListView& appListOutlineView() { return *list; }
    AppListModel& model() { return *rows; }

    /// Opens the application of the selected row; nothing without a selection.
    void openSelectedApp();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Collaborators c;
    AppListModel* rows;
    QListView* list;
};

} // namespace zentrivo
