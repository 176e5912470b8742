#include "app/shell/ui/StatusItem.h"

#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FakeMainQueue.h"

#include <QAction>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

/// Each item of the menu: its text, or "-" and its name for a separator.
std::vector<std::string> items(const QMenu& menu) {
    std::vector<std::string> result;
    for (const QAction* item : menu.actions())
        result.push_back(item->isSeparator() ? "-" + item->objectName().toStdString()
                                             : item->text().toStdString());
    return result;
}

TEST(StatusItemTest, SlotEntriesAreReplacedWholeBelowTheMenusOwnItems) {
    QMenu menu;
    menu.addSeparator(); // the menu's own separator stays
    menu.addAction(QStringLiteral("Quit Zentrivo"));
    const std::vector<StatusMenuEntry> entries = {
        {"mainSpecSeparator", "", "", std::nullopt},
        {"", "Files", "/apps/org.gnome.Nautilus.desktop", Action{"org.gnome.Nautilus"}},
        {"farSpecSeparator", "", "", std::nullopt},
        {"", "Notes.txt", "/home/u/Notes.txt", Action{"/home/u/Notes.txt", ActionType::file}},
    };
    std::vector<std::string> performed;
    const auto perform = [&](const Action& action) { performed.push_back(action.stringValue); };
    const auto icon = [](const StatusMenuEntry&) { return QIcon(); };

    StatusItem::replaceSlotEntries(menu, entries, icon, perform);
    StatusItem::replaceSlotEntries(menu, entries, icon, perform);
    EXPECT_EQ(items(menu), (std::vector<std::string>{"-", "Quit Zentrivo", "-mainSpecSeparator",
                                                     "Files", "-farSpecSeparator", "Notes.txt"}));
    menu.actions().last()->trigger();
    menu.actions()[3]->trigger();
    EXPECT_EQ(performed, (std::vector<std::string>{"/home/u/Notes.txt", "org.gnome.Nautilus"}));

    StatusItem::replaceSlotEntries(menu, {}, icon, perform);
    EXPECT_EQ(items(menu), (std::vector<std::string>{"-", "Quit Zentrivo"}));
}

TEST(StatusItemTest, RevealAndOpenShowsTheHiddenIconOpensTheMenuThenHidesTheIconAgain) {
    for (const bool hidden : {true, false}) {
        SCOPED_TRACE(hidden);
        test::FakeDefaultsDatabase db;
        db.values["hideMenuBarIcon"] = hidden;
        Defaults defaults(db);
        test::FakeMainQueue queue;
        QMenu menu;
        menu.addAction(QStringLiteral("Quit Zentrivo"));
        StatusItem item(defaults, queue);
        item.setStatusMenu(&menu);
        item.show();
        ASSERT_NE(item.trayIcon(), nullptr);
        EXPECT_EQ(item.trayIcon()->contextMenu(), &menu);
        EXPECT_EQ(item.trayIcon()->isVisible(), !hidden);
        item.revealAndOpen();
        // (milliseconds on, icon visible, menu open): both pauses to their last millisecond
        const std::tuple<int, bool, bool> steps[] = {
            {0, true, false},  {199, true, false}, {1, true, true},
            {199, true, true}, {1, !hidden, true},
        };
        for (const auto& [ms, icon, open] : steps) {
            queue.advance(std::chrono::milliseconds(ms));
            EXPECT_EQ(std::pair(item.trayIcon()->isVisible(), menu.isVisible()),
                      std::pair(icon, open));
        }
        menu.hide();
    }
}

} // namespace
} // namespace zentrivo
