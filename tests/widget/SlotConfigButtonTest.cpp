#include "PreferencesRig.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using test::PreferencesRig;

using Report = std::tuple<int, std::optional<std::string>, ActionType>;

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

    std::string titles() { return PreferencesRig::menuTitles(*button); }
    QAction& item(const QString& text) { return PreferencesRig::menuItem(*button, text); }

    PreferencesRig rig;
    std::unique_ptr<SlotConfigButton> button;
    std::vector<Report> reports;
};

TEST_F(SlotConfigButtonTest, MenuOffersEveryChoiceAndChecksTheSlotsAction) {
    rig.addInstalled("gamma", "Gamma", false);
    using Image = SlotConfigButton::Image;
    const std::tuple<std::optional<std::string>, ActionType, const char*, Image> rows[] = {
        {std::nullopt, ActionType::app,
         "-, Open File or Folder, Last Frontmost App, ---, Alpha, Beta", Image::placeholder},
        {"beta", ActionType::app, "-, Open File or Folder, Last Frontmost App, ---, Alpha, *Beta",
         Image::app},
        // Known to the desktop but not in the list: added, checked, at index 1.
        {"gamma", ActionType::app,
         "-, *Gamma, Open File or Folder, Last Frontmost App, ---, Alpha, Beta", Image::app},
        // Not installed at all: no item, and the picture stays what it was.
        {"nowhere", ActionType::app, "-, Open File or Folder, Last Frontmost App, ---, Alpha, Beta",
         Image::placeholder},
        {rig.dir.filePath("notes.txt").toStdString(), ActionType::file,
         "-, *notes.txt, Open File or Folder, Last Frontmost App, ---, Alpha, Beta", Image::file},
        {"", ActionType::lastApp, "-, Open File or Folder, *Last Frontmost App, ---, Alpha, Beta",
         Image::lastApp},
    };
    for (const auto& [value, type, menu, image] : rows) {
        SCOPED_TRACE(menu);
        makeButton().showAction(value, type);
        EXPECT_EQ(button->image(), image);
        EXPECT_EQ(titles(), menu);
        EXPECT_TRUE(reports.empty()) << "showing an action reports nothing";
    }
}

TEST_F(SlotConfigButtonTest, ChoicesAreReportedAndTheMenuFollowsThem) {
    const std::string file = rig.dir.filePath("notes.txt").toStdString();
    makeButton().setSlotName("Right slot");
    item("Beta").trigger();
    item("Last Frontmost App").trigger();
    // The last app reports the empty text, not none, and shows checked from then on.
    EXPECT_EQ(titles(), "-, Open File or Folder, *Last Frontmost App, ---, Alpha, Beta");
    EXPECT_EQ(button->image(), SlotConfigButton::Image::lastApp);
    ASSERT_TRUE(button->chooseFile(file));
    EXPECT_EQ(titles(), "-, *notes.txt, Open File or Folder, Last Frontmost App, ---, Alpha, Beta");
    // Choosing the current file again changes nothing.
    item("notes.txt").trigger();
    // An application replaces the file: its item and its bookmark go.
    item("Alpha").trigger();
    EXPECT_EQ(rig.stored("bookmark-5"), nullptr);
    EXPECT_EQ(titles(), "-, Open File or Folder, Last Frontmost App, ---, *Alpha, Beta");
    EXPECT_EQ(button->accessibleName().toStdString(), "Right slot: Alpha");
    item("-").trigger();
    EXPECT_EQ(button->image(), SlotConfigButton::Image::placeholder);
    EXPECT_EQ(titles(), "*-, Open File or Folder, Last Frontmost App, ---, Alpha, Beta");
    EXPECT_EQ(reports, (std::vector<Report>{{5, "beta", ActionType::app},
                                            {5, "", ActionType::lastApp},
                                            {5, file, ActionType::file},
                                            {5, "alpha", ActionType::app},
                                            {5, std::nullopt, ActionType::app}}));
    EXPECT_EQ(button->accessibleName().toStdString(), "Right slot: empty");
}

TEST_F(SlotConfigButtonTest, OpenFileOrFolderTakesAFolderAsWellAsAFile) {
    const QString folder = rig.dir.path();
    for (const QString& chosen : {folder, rig.dir.filePath("beta.desktop")}) {
        SCOPED_TRACE(chosen.toStdString());
        reports.clear();
        PreferencesRig::menuItem(makeButton(), "Open File or Folder").trigger();
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
    }
}

TEST_F(SlotConfigButtonTest, DropTakesExactlyOneApplication) {
    const std::string alpha = rig.workspace.installed["alpha"];
    const std::string gamma = rig.addInstalled("gamma", "Gamma", false);
    const std::pair<std::vector<std::string>, std::optional<std::string>> rows[] = {
        {{alpha, gamma}, std::nullopt},
        {{rig.dir.filePath("notes.txt").toStdString()}, std::nullopt},
        {{rig.dir.filePath("alpha.Desktop").toStdString()}, std::nullopt},
        {{rig.dir.filePath("stray.desktop").toStdString()}, std::nullopt}, // unknown entry
        {{}, std::nullopt},
        {{alpha}, "alpha"},
        {{gamma}, "gamma"},
    };
    QMimeData data;
    for (const auto& [paths, taken] : rows) {
        SCOPED_TRACE(testing::PrintToString(paths));
        QList<QUrl> urls;
        for (const auto& path : paths)
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        data.setUrls(urls);
        PreferencesRig::openMenu(makeButton());
        EXPECT_EQ(PreferencesRig::drop(*button, data), taken.has_value());
        EXPECT_FALSE(button->isReceivingDrag());
        EXPECT_EQ(reports, (taken ? std::vector<Report>{{5, taken, ActionType::app}}
                                  : std::vector<Report>{}));
        reports.clear();
    }
    // The unlisted application got a checked item at index 1.
    EXPECT_EQ(titles(), "-, *Gamma, Open File or Folder, Last Frontmost App, ---, Alpha, Beta");
    // While a drag is over it the button is framed in the selection colour.
    const QColor highlight = button->palette().color(QPalette::Highlight);
    PreferencesRig::drop(*button, data, true);
    EXPECT_EQ(button->grab().toImage().pixelColor(2, 32), highlight);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(button.get(), &leave);
    EXPECT_NE(button->grab().toImage().pixelColor(2, 32), highlight);
}

} // namespace
} // namespace zentrivo
