#pragma once

#include "app/core/MainQueue.h"
#include "app/model/Action.h"
#include "app/settings/Defaults.h"
#include "app/shell/StatusMenuEntries.h"

#include <QIcon>
#include <QMenu>
#include <QMetaType>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <vector>

Q_DECLARE_METATYPE(zentrivo::Action)

namespace zentrivo {

/// The program's icon in the desktop's tray (a StatusNotifierItem where the desktop has a
/// watcher, an XEmbed tray icon otherwise) with the status menu on it. It can hide the icon on
/// the user's request and still open the menu when the program is opened again.
class StatusItem {
public:
    StatusItem(Defaults& defaults, MainQueue& mainQueue);
    ~StatusItem();
    StatusItem(const StatusItem&) = delete;
    StatusItem& operator=(const StatusItem&) = delete;

    /// Stores the menu; an icon that already exists gets it at once.
    void setStatusMenu(QMenu* menu);
    /// Creates the icon on first call, then makes it visible exactly when `hideMenuBarIcon` is
    /// off.
    void show();
    /// Shows the icon, opens the menu 200 ms later, and 200 ms after that hides the icon again
    /// if the user asked for that. A tray cannot be opened from the program on every desktop,
    /// so the menu opens as a popup at the cursor.
    void revealAndOpen();

    /// The tray icon; null until `show()` first ran.
    QSystemTrayIcon* trayIcon() const { return nsStatusItem.get(); }

    /// The monochrome tray icon: the installed symbolic icon, else the copy built into the
    /// program.
    static QIcon statusTemplate();

    /// Replaces the slot entries of `menu` with `entries`: every item that carries an `Action`
    /// and every panel separator goes, the menu's own items stay, the entries follow them.
    /// `icon` gives each entry's image; choosing an entry calls `perform` with its action.
    static void replaceSlotEntries(QMenu& menu, const std::vector<StatusMenuEntry>& entries,
                                   const std::function<QIcon(const StatusMenuEntry&)>& icon,
                                   const std::function<void(const Action&)>& perform);

private:
    Defaults& defaults;
    MainQueue& mainQueue;
    std::unique_ptr<QSystemTrayIcon> nsStatusItem;
    QPointer<QMenu> statusMenu;
};

} // namespace zentrivo
