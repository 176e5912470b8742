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
    menu.addAction(QStringLiteral("Preferences\u2026"));
    menu.addSeparator(); // the menu's own separator stays
    menu.addAction(QStringLiteral("Quit Zentrivo"));
    const Action files{"org.gnome.Nautilus", ActionType::app};
    const Action notes{"/home/u/Notes.txt", ActionType::file};
    const std::vector<StatusMenuEntry> entries = {
        {"mainSpecSeparator", "", "", std::nullopt},
        {"", "Files", "/apps/org.gnome.Nautilus.desktop", files},
        {"farSpecSeparator", "", "", std::nullopt},
        {"", "Notes.txt", "/home/u/Notes.txt", notes},
    };
    std::vector<std::string> performed;
    const auto perform = [&](const Action& action) { performed.push_back(action.stringValue); };
    const auto icon = [](const StatusMenuEntry&) { return QIcon(); };

    StatusItem::replaceSlotEntries(menu, entries, icon, perform);
    StatusItem::replaceSlotEntries(menu, entries, icon, perform);
    EXPECT_EQ(items(menu), (std::vector<std::string>{"Preferences\u2026", "-", "Quit Zentrivo",
                                                     "-mainSpecSeparator", "Files",
                                                     "-farSpecSeparator", "Notes.txt"}));
    menu.actions().last()->trigger();
    menu.actions()[4]->trigger();
    EXPECT_EQ(performed, (std::vector<std::string>{"/home/u/Notes.txt", "org.gnome.Nautilus"}));

    StatusItem::replaceSlotEntries(menu, {}, icon, perform);
    EXPECT_EQ(items(menu), (std::vector<std::string>{"Preferences\u2026", "-", "Quit Zentrivo"}));
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
        EXPECT_EQ(item.trayIcon()->isVisible(), !hidden);
        EXPECT_EQ(item.trayIcon()->contextMenu(), &menu);

        item.revealAndOpen();
        EXPECT_TRUE(item.trayIcon()->isVisible());
        queue.advance(std::chrono::milliseconds(199));
        EXPECT_FALSE(menu.isVisible());
        queue.advance(std::chrono::milliseconds(1));
        EXPECT_TRUE(menu.isVisible());
        queue.advance(std::chrono::milliseconds(199));
        EXPECT_TRUE(item.trayIcon()->isVisible());
        queue.advance(std::chrono::milliseconds(1));
        EXPECT_EQ(item.trayIcon()->isVisible(), !hidden);
        menu.hide();
    }
}

} // namespace
} // namespace zentrivo
