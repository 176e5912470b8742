#include "PreferencesRig.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using test::PreferencesRig;

struct Report {
    int tag;
    std::optional<std::string> value;
    ActionType type;
    bool operator==(const Report&) const = default;
};

/// One button (tag 5, the right slot) over the rig, recording what it reports.
class SlotConfigButtonTest : public ::testing::Test {
protected:
    SlotConfigButtonTest() { rig.build(); }

    SlotConfigButton& makeButton(std::optional<int> id = std::nullopt) {
        button = std::make_unique<SlotConfigButton>(rig.buttonCollaborators(), 5);
        if (id)
            button->setId(*id);
        button->selectionComplete = [this](int tag, std::optional<std::string> value,
                                           ActionType type) {
            reports.push_back({tag, std::move(value), type});
        };
        return *button;
    }

    /// Opens the menu as a click does, and closes it again.
    QMenu& openMenu() {
        button->click();
        QMenu* menu = button->slotMenu();
        if (!menu)
            throw std::runtime_error("no menu");
        menu->hide();
        return *menu;
    }

    std::vector<std::string> titles() {
        std::vector<std::string> result;
        for (QAction* item : openMenu().actions())
            result.push_back(item->isSeparator() ? "|"
                                                 : (item->isChecked() ? "*" : "") +
                                                       item->text().toStdString());
        return result;
    }

    QAction& item(const QString& text) {
        for (QAction* action : openMenu().actions())
            if (action->text() == text)
                return *action;
        throw std::runtime_error("no item " + text.toStdString());
    }

    /// Drops `paths` as file URLs; whether the button took the drop.
    bool drop(const std::vector<std::string>& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const auto& path : paths)
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        data.setUrls(urls);
        // As Qt delivers it: a drop reaches only the widget that took the drag's entry.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(button.get(), &enter);
        if (!button->isReceivingDrag())
            throw std::runtime_error("the entering drag is not shown");
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        event.setAccepted(false);
        QCoreApplication::sendEvent(button.get(), &event);
        return event.isAccepted();
    }

    PreferencesRig rig;
    std::unique_ptr<SlotConfigButton> button;
    std::vector<Report> reports;
};

TEST_F(SlotConfigButtonTest, MenuOffersEveryChoiceAndChecksTheSlotsAction) {
    rig.addInstalled("gamma", "Gamma", false);
    struct Row {
        const char* name;
        std::optional<std::string> value;
        ActionType type;
        std::vector<std::string> titles;
        SlotConfigButton::Image image;
    };
    const std::string file = rig.dir.filePath("notes.txt").toStdString();
    const Row rows[] = {
        {"empty", std::nullopt, ActionType::app,
         {"-", "Open File or Folder", "Last Frontmost App", "|", "Alpha", "Beta"},
         SlotConfigButton::Image::placeholder},
        {"listed app", "beta", ActionType::app,
         {"-", "Open File or Folder", "Last Frontmost App", "|", "Alpha", "*Beta"},
         SlotConfigButton::Image::app},
        // Known to the desktop but not in the list: added, checked, at index 1.
        {"unlisted app", "gamma", ActionType::app,
         {"-", "*Gamma", "Open File or Folder", "Last Frontmost App", "|", "Alpha", "Beta"},
         SlotConfigButton::Image::app},
        // Not installed at all: no item, and the picture stays what it was.
        {"missing app", "nowhere", ActionType::app,
         {"-", "Open File or Folder", "Last Frontmost App", "|", "Alpha", "Beta"},
         SlotConfigButton::Image::placeholder},
        {"file", file, ActionType::file,
         {"-", "*notes.txt", "Open File or Folder", "Last Frontmost App", "|", "Alpha", "Beta"},
         SlotConfigButton::Image::file},
        {"last app", "", ActionType::lastApp,
         {"-", "Open File or Folder", "*Last Frontmost App", "|", "Alpha", "Beta"},
         SlotConfigButton::Image::lastApp},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        makeButton().showAction(row.value, row.type);
        EXPECT_EQ(button->image(), row.image);
        EXPECT_EQ(titles(), row.titles);
        EXPECT_TRUE(reports.empty()) << "showing an action reports nothing";
    }
    // The menu pops up at the middle of the button's right edge.
    makeButton().resize(64, 64);
    button->click();
    EXPECT_EQ(button->slotMenu()->pos(), button->mapToGlobal(QPoint(64, 32)));
    button->slotMenu()->hide();
}

TEST_F(SlotConfigButtonTest, ChoicesAreReportedAndTheMenuFollowsThem) {
    const std::string file = rig.dir.filePath("notes.txt").toStdString();
    makeButton();
    item("Beta").trigger();
    item("Last Frontmost App").trigger();
    // The last app reports the empty text, not none, and shows checked from then on.
    EXPECT_EQ(titles(), (std::vector<std::string>{"-", "Open File or Folder",
                                                  "*Last Frontmost App", "|", "Alpha", "Beta"}));
    EXPECT_EQ(button->image(), SlotConfigButton::Image::lastApp);
    ASSERT_TRUE(button->chooseFile(file));
    EXPECT_NE(rig.stored("bookmark-5"), nullptr);
    EXPECT_EQ(titles(), (std::vector<std::string>{"-", "*notes.txt", "Open File or Folder",
                                                  "Last Frontmost App", "|", "Alpha", "Beta"}));
    // Choosing the current file again changes nothing.
    item("notes.txt").trigger();
    EXPECT_EQ(reports.size(), 3u);
    // An application replaces the file: its item and its bookmark go.
    item("Alpha").trigger();
    EXPECT_EQ(rig.stored("bookmark-5"), nullptr);
    EXPECT_EQ(titles(), (std::vector<std::string>{"-", "Open File or Folder",
                                                  "Last Frontmost App", "|", "*Alpha", "Beta"}));
    item("-").trigger();
    EXPECT_EQ(button->image(), SlotConfigButton::Image::placeholder);
    EXPECT_EQ(titles(), (std::vector<std::string>{"*-", "Open File or Folder",
                                                  "Last Frontmost App", "|", "Alpha", "Beta"}));
    EXPECT_EQ(reports, (std::vector<Report>{{5, "beta", ActionType::app},
                                            {5, "", ActionType::lastApp},
                                            {5, file, ActionType::file},
                                            {5, "alpha", ActionType::app},
                                            {5, std::nullopt, ActionType::app}}));
    EXPECT_EQ(button->accessibleName().toStdString(), "empty");
    button->setSlotName("Right slot");
    EXPECT_EQ(button->accessibleName().toStdString(), "Right slot: empty");
}

TEST_F(SlotConfigButtonTest, AFileChoiceReplacesTheBookmarkOfTheSlotsFile) {
    const std::string first = rig.dir.filePath("a.txt").toStdString();
    const std::string second = rig.dir.path().toStdString();
    // Loaded with a file and never opened: the stored bookmark still belongs to it.
    makeButton(15).showAction(first, ActionType::file);
    button->chooseFile(second);
    ASSERT_NE(rig.stored("bookmark-15"), nullptr);
    EXPECT_EQ(Bookmark::decode(std::get<Data>(*rig.stored("bookmark-15")))->path, second);
    EXPECT_EQ(rig.stored("bookmark-5"), nullptr) << "the id wins over the tag";
    button->chooseApplication(std::nullopt);
    EXPECT_EQ(rig.stored("bookmark-15"), nullptr);
}

TEST_F(SlotConfigButtonTest, DropTakesExactlyOneApplication) {
    const std::string alpha = rig.workspace.installed["alpha"];
    const std::string gamma = rig.addInstalled("gamma", "Gamma", false);
    const std::string stray = rig.dir.filePath("stray.desktop").toStdString(); // unknown entry
    struct Row {
        const char* name;
        std::vector<std::string> paths;
        std::optional<std::string> taken;
    };
    const Row rows[] = {
        {"two applications", {alpha, gamma}, std::nullopt},
        {"a document", {rig.dir.filePath("notes.txt").toStdString()}, std::nullopt},
        {"another case of the extension", {rig.dir.filePath("alpha.Desktop").toStdString()},
         std::nullopt},
        {"an entry that is no application", {stray}, std::nullopt},
        {"nothing", {}, std::nullopt},
        {"a listed application", {alpha}, "alpha"},
        {"an unlisted application", {gamma}, "gamma"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        makeButton();
        openMenu();
        reports.clear();
        EXPECT_EQ(drop(row.paths), row.taken.has_value());
        EXPECT_FALSE(button->isReceivingDrag());
        if (!row.taken) {
            EXPECT_TRUE(reports.empty());
            EXPECT_EQ(button->image(), SlotConfigButton::Image::placeholder);
            continue;
        }
        EXPECT_EQ(reports, (std::vector<Report>{{5, row.taken, ActionType::app}}));
        EXPECT_EQ(button->image(), SlotConfigButton::Image::app);
    }
    // The unlisted application got a checked item at index 1.
    EXPECT_EQ(titles(), (std::vector<std::string>{"-", "*Gamma", "Open File or Folder",
                                                  "Last Frontmost App", "|", "Alpha", "Beta"}));
}

TEST(SlotConfigButtonRefusalTest, AChoiceThatCannotBeSavedIsRefusedWithAMessage) {
    // The application folders are read as bytes, so an entry's file name, and with it the
    // identifier, need not be UTF-8.
    PreferencesRig rig;
    rig.addInstalled("odd\xff", "Odd");
    rig.build();
    SlotConfigButton button(rig.buttonCollaborators(), 5);
    int reports = 0;
    button.selectionComplete = [&](int, std::optional<std::string>, ActionType) { ++reports; };
    button.showAction("beta", ActionType::app);
    const std::string latin1 = rig.dir.path().toStdString() + "/r\xe9sum\xe9.txt";
    EXPECT_FALSE(button.chooseFile(latin1));
    EXPECT_TRUE(PreferencesRig::takeRefusal());
    button.click();
    ASSERT_NE(button.slotMenu(), nullptr);
    button.slotMenu()->hide();
    QAction* odd = nullptr;
    for (QAction* item : button.slotMenu()->actions())
        if (item->text() == "Odd")
            odd = item;
    ASSERT_NE(odd, nullptr);
    odd->trigger();
    EXPECT_TRUE(PreferencesRig::takeRefusal());
    EXPECT_FALSE(odd->isChecked());

    EXPECT_EQ(reports, 0);
    EXPECT_EQ(button.selectedAction(), (SlotConfigButton::SelectedAction{"beta", ActionType::app}));
    EXPECT_EQ(button.image(), SlotConfigButton::Image::app);
    EXPECT_EQ(rig.stored("bookmark-5"), nullptr);
    std::vector<std::string> checked;
    for (QAction* item : button.slotMenu()->actions())
        if (item->isChecked())
            checked.push_back(item->text().toStdString());
    EXPECT_EQ(checked, std::vector<std::string>{"Beta"});
    EXPECT_FALSE(PreferencesRig::takeRefusal()) << "one message per refusal";
}

} // namespace
} // namespace zentrivo
