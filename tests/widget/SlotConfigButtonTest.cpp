#include "PreferencesRig.h"

#include <QDragEnterEvent>
#include <QFileInfo>
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

    SlotConfigButton& makeButton() {
        button = std::make_unique<SlotConfigButton>(rig.buttonCollaborators(), 5);
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
            result.push_back(item->isSeparator()
                                 ? "|"
                                 : (item->isChecked() ? "*" : "") + item->text().toStdString());
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
        return PreferencesRig::drop(*button, data);
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
        {"empty",
         std::nullopt,
         ActionType::app,
         {"-", "Open File or Folder", "Last Frontmost App", "|", "Alpha", "Beta"},
         SlotConfigButton::Image::placeholder},
        {"listed app",
         "beta",
         ActionType::app,
         {"-", "Open File or Folder", "Last Frontmost App", "|", "Alpha", "*Beta"},
         SlotConfigButton::Image::app},
        // Known to the desktop but not in the list: added, checked, at index 1.
        {"unlisted app",
         "gamma",
         ActionType::app,
         {"-", "*Gamma", "Open File or Folder", "Last Frontmost App", "|", "Alpha", "Beta"},
         SlotConfigButton::Image::app},
        // Not installed at all: no item, and the picture stays what it was.
        {"missing app",
         "nowhere",
         ActionType::app,
         {"-", "Open File or Folder", "Last Frontmost App", "|", "Alpha", "Beta"},
         SlotConfigButton::Image::placeholder},
        {"file",
         file,
         ActionType::file,
         {"-", "*notes.txt", "Open File or Folder", "Last Frontmost App", "|", "Alpha", "Beta"},
         SlotConfigButton::Image::file},
        {"last app",
         "",
         ActionType::lastApp,
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
    EXPECT_EQ(titles(), (std::vector<std::string>{"-", "Open File or Folder", "*Last Frontmost App",
                                                  "|", "Alpha", "Beta"}));
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
    EXPECT_EQ(titles(), (std::vector<std::string>{"-", "Open File or Folder", "Last Frontmost App",
                                                  "|", "*Alpha", "Beta"}));
    item("-").trigger();
    EXPECT_EQ(button->image(), SlotConfigButton::Image::placeholder);
    EXPECT_EQ(titles(), (std::vector<std::string>{"*-", "Open File or Folder", "Last Frontmost App",
                                                  "|", "Alpha", "Beta"}));
    EXPECT_EQ(reports, (std::vector<Report>{{5, "beta", ActionType::app},
                                            {5, "", ActionType::lastApp},
                                            {5, file, ActionType::file},
                                            {5, "alpha", ActionType::app},
                                            {5, std::nullopt, ActionType::app}}));
    EXPECT_EQ(button->accessibleName().toStdString(), "empty");
    button->setSlotName("Right slot");
    EXPECT_EQ(button->accessibleName().toStdString(), "Right slot: empty");
}

TEST_F(SlotConfigButtonTest, OpenFileOrFolderTakesAFolderAsWellAsAFile) {
    const QString folder = rig.dir.path();
    const QString file = rig.dir.filePath("beta.desktop");
    for (const QString& chosen : {folder, file}) {
        SCOPED_TRACE(chosen.toStdString());
        QWidget window;
        makeButton().setParent(&window);
        window.show();
        reports.clear();
        item("Open File or Folder").trigger();
        QFileDialog* dialog = button->fileDialog();
        ASSERT_NE(dialog, nullptr);
        // Selecting a folder lets the dialog accept it; selecting a file switches back.
        dialog->setDirectory(QFileInfo(chosen).path());
        dialog->selectFile(QFileInfo(chosen).fileName());
        Q_EMIT dialog->currentChanged(chosen);
        EXPECT_EQ(dialog->fileMode(),
                  chosen == folder ? QFileDialog::Directory : QFileDialog::ExistingFile);
        static_cast<QDialog*>(dialog)->accept(); // what its Open button does
        EXPECT_EQ(reports, (std::vector<Report>{{5, chosen.toStdString(), ActionType::file}}));
        EXPECT_EQ(titles()[1], "*" + QFileInfo(chosen).fileName().toStdString());
        button.reset();
    }
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
        {"another case of the extension",
         {rig.dir.filePath("alpha.Desktop").toStdString()},
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
    // While a drag is over it the button is framed in the selection colour, 3 pixels wide.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(alpha))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button.get(), &enter);
    const QColor highlight = button->palette().color(QPalette::Highlight);
    EXPECT_EQ(button->grab().toImage().pixelColor(2, 32), highlight);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(button.get(), &leave);
    EXPECT_NE(button->grab().toImage().pixelColor(2, 32), highlight);
    // The unlisted application got a checked item at index 1.
    EXPECT_EQ(titles(), (std::vector<std::string>{"-", "*Gamma", "Open File or Folder",
                                                  "Last Frontmost App", "|", "Alpha", "Beta"}));
}

} // namespace
} // namespace zentrivo
