#include "StatusItem.h"

#include <QAction>
#include <QCursor>

namespace zentrivo {

StatusItem::StatusItem(Defaults& defaults, MainQueue& mainQueue)
    : defaults(defaults), mainQueue(mainQueue) {}

StatusItem::~StatusItem() = default;

QIcon StatusItem::statusTemplate() {
    QIcon icon = QIcon::fromTheme(QStringLiteral("com.tovelane.ZentrivoPro-symbolic"),
                                  QIcon(QStringLiteral(":/zentrivo/StatusTemplate.svg")));
    // Desktops that recolour monochrome icons for their panel may do so with this one.
    icon.setIsMask(true);
    return icon;
}

void StatusItem::setStatusMenu(QMenu* menu) {
    statusMenu = menu;
    if (nsStatusItem)
        nsStatusItem->setContextMenu(menu);
}

void StatusItem::show() {
    if (!nsStatusItem) {
        nsStatusItem = std::make_unique<QSystemTrayIcon>(statusTemplate());
        nsStatusItem->setToolTip(QStringLiteral("Zentrivo"));
        nsStatusItem->setContextMenu(statusMenu);
        // A plain click opens the menu too: the icon has nothing else to do.
        QObject::connect(nsStatusItem.get(), &QSystemTrayIcon::activated,
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger && statusMenu)
                                 statusMenu->popup(QCursor::pos());
                         });
    }
    nsStatusItem->setVisible(!defaults.hideMenuBarIcon.value());
}

void StatusItem::revealAndOpen() {
    if (nsStatusItem)
        nsStatusItem->setVisible(true);
    // The pauses let the tray place the icon before the menu opens, and the menu open before
    // the icon goes again.
    mainQueue.postAfter(std::chrono::milliseconds(200), [this] {
        if (statusMenu)
            statusMenu->popup(QCursor::pos());
        mainQueue.postAfter(std::chrono::milliseconds(200), [this] {
            if (nsStatusItem)
                nsStatusItem->setVisible(!defaults.hideMenuBarIcon.value());
        });
    });
}

void StatusItem::replaceSlotEntries(QMenu& menu, const std::vector<StatusMenuEntry>& entries,
                                    const std::function<QIcon(const StatusMenuEntry&)>& icon,
                                    const std::function<void(const Action&)>& perform) {
    for (QAction* item : menu.actions()) {
        const QString id = item->objectName();
        if (item->data().canConvert<Action>() || id == QLatin1String(mainSpecSeparator) ||
            id == QLatin1String(farSpecSeparator)) {
            menu.removeAction(item);
            delete item;
        }
    }
    for (const StatusMenuEntry& entry : entries) {
        if (entry.isSeparator()) {
            QAction* separator = menu.addSeparator();
            separator->setObjectName(QString::fromStdString(entry.identifier));
            continue;
        }
        QAction* item = menu.addAction(icon(entry), QString::fromStdString(entry.title));
        item->setData(QVariant::fromValue(*entry.action));
        const Action action = *entry.action;
        QObject::connect(item, &QAction::triggered, &menu, [perform, action] { perform(action); });
    }
}

} // namespace zentrivo
