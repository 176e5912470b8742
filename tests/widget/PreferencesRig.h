#pragma once

// The preferences window and its slot buttons over fakes: `db` is arranged before build() reads
// the settings; installed applications are desktop entry files in a temporary folder that both
// the catalog and the desktop know; bookmarks are real, over identities for every absolute path.
#include "app/apps/BookmarkManager.h"
#include "app/apps/InstalledApps.h"
#include "app/core/Notifications.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ui/SlotIcons.h"
#include "app/settings/Defaults.h"
#include "app/shell/ui/PreferencesWindow.h"
#include "app/shell/ui/SlotConfigButton.h"
#include "tests/fakes/FakeApplicationCatalog.h"
#include "tests/fakes/FakeArrowKeys.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeSystemInfo.h"
#include "tests/fakes/FakeWorkspace.h"
#include "tests/fakes/FreedesktopTestProfile.h"
#include "tests/fakes/RecordingLog.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <fstream>
#include <memory>

namespace zentrivo::test {

struct AnyFileIdentities final : FileIdentities {
    std::optional<FileIdentity> identity(const std::filesystem::path& path) const override {
        if (!path.is_absolute())
            return std::nullopt;
        return FileIdentity{1, std::hash<std::string>{}(path.string())};
    }
};

class PreferencesRig {
public:
    PreferencesRig() {
        catalog.folders = {dir.path().toStdString()};
        addInstalled("beta", "Beta");
        addInstalled("alpha", "Alpha");
    }

    /// A desktop entry the desktop knows; `listed` false leaves it out of the list (NoDisplay).
    std::string addInstalled(const std::string& id, const std::string& name, bool listed = true) {
        const std::string path =
            dir.filePath(QString::fromStdString(id) + ".desktop").toStdString();
        std::ofstream(path) << "[Desktop Entry]\nType=Application\nName=" << name
                            << "\nExec=true\n";
        workspace.installed[id] = path;
        workspace.names[id] = name;
        if (listed)
            catalog.contents[catalog.folders.front()].push_back({InstalledApp{name, id, path}});
        return path;
    }

    void build() {
        defaults = std::make_unique<Defaults>(db);
        wakeDefaults = std::make_unique<WakeDefaults>(db);
        model = std::make_unique<ReticleSpecModel>(*defaults, profile);
        icons = std::make_unique<SlotIcons>(SlotIcons::Collaborators{workspace, *defaults, log});
        bookmarks = std::make_unique<BookmarkManager>(
            BookmarkManager::Collaborators{*defaults, queue, files, log});
        installedApps.refresh();
        queue.runUntilIdle();
        for (const char* name :
             {notifications::appsUpdated, notifications::backgroundUpdated,
              notifications::arrowDisplaysToggled, notifications::gestureSelected})
            notificationCenter.addObserver(
                name, [this](const Notification& n) { posted.push_back(n.name); });
    }

    SlotConfigButton::Collaborators buttonCollaborators() {
        return {installedApps, workspace, *icons, *bookmarks, profile};
    }

    PreferencesWindow& window() {
        if (!defaults)
            build();
        preferences = std::make_unique<PreferencesWindow>(PreferencesWindow::Collaborators{
            *defaults, *wakeDefaults, *model, notificationCenter, installedApps, arrowKeys,
            workspace, *icons, *bookmarks, profile, [this] { calls.push_back("showAppList"); },
            [this] { calls.push_back("updateWakeObserver"); },
            [this](bool on) { // with what the setting held at that moment
                calls.push_back(std::string("applyLaunchOnLogin ") + (on ? "1" : "0") + " stored " +
                                (defaults->launchOnLogin.value() ? "1" : "0"));
            },
            [this] { calls.push_back("applyStatusItemVisibility"); }});
        return *preferences;
    }

    template <typename T> T& find(const char* name) {
        if (auto* widget = preferences->findChild<T*>(QString::fromLatin1(name)))
            return *widget;
        throw std::runtime_error(std::string("no widget ") + name);
    }

    /// The slot menu of `button` as a click opens it (closed again at once).
    static QMenu& openMenu(SlotConfigButton& button) {
        button.click();
        if (!button.slotMenu())
            throw std::runtime_error("no menu");
        button.slotMenu()->hide();
        return *button.slotMenu();
    }

    /// The menu's items in order, "*" before a checked one, "---" for the separator.
    static std::string menuTitles(SlotConfigButton& button) {
        QStringList titles;
        for (QAction* item : openMenu(button).actions())
            titles << (item->isSeparator() ? "---" : (item->isChecked() ? "*" : "") + item->text());
        return titles.join(", ").toStdString();
    }

    static QAction& menuItem(SlotConfigButton& button, const QString& text) {
        for (QAction* item : openMenu(button).actions())
            if (item->text() == text)
                return *item;
        throw std::runtime_error("no item " + text.toStdString());
    }

    /// Whether a refused choice's message is open; closes it.
    bool takeRefusal() {
        for (auto* box : preferences->findChildren<QMessageBox*>("unstorableChoiceMessage"))
            if (box->isVisible())
                return box->close();
        return false;
    }

    /// A drag entering `widget` and, unless `enterOnly`, its drop; whether the widget took it.
    static bool drop(QWidget& widget, const QMimeData& data, bool enterOnly = false) {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &enter);
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        event.setAccepted(false);
        if (!enterOnly)
            QCoreApplication::sendEvent(&widget, &event);
        return event.isAccepted();
    }

    const PropertyValue* stored(const std::string& key) const {
        const auto it = db.values.find(key);
        return it == db.values.end() ? nullptr : &it->second;
    }

    /// A stored whole number, or -1 when nothing is stored.
    std::int64_t storedInt(const std::string& key) const {
        const PropertyValue* value = stored(key);
        return value ? readInteger(value) : -1;
    }

    QTemporaryDir dir;
    FakeDefaultsDatabase db;
    FreedesktopTestProfile profile;
    FakeMainQueue queue;
    FakeApplicationCatalog catalog;
    FakeSystemInfo systemInfo;
    FakeWorkspace workspace;
    FakeArrowKeys arrowKeys;
    AnyFileIdentities files;
    RecordingLog log;
    NotificationCenter notificationCenter;
    InstalledApps installedApps{catalog, queue, profile, systemInfo};
    std::unique_ptr<SlotIcons> icons;
    std::unique_ptr<Defaults> defaults;
    std::unique_ptr<WakeDefaults> wakeDefaults;
    std::unique_ptr<ReticleSpecModel> model;
    std::unique_ptr<BookmarkManager> bookmarks;
    std::unique_ptr<PreferencesWindow> preferences;
    std::vector<std::string> posted;
    std::vector<std::string> calls;
};

} // namespace zentrivo::test
