#include "app/shell/ui/AppListWindow.h"

#include "PreferencesRig.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using test::PreferencesRig;

class AppListWindowTest : public ::testing::Test {
protected:
    AppListWindowTest() {
        rig.addInstalled("two words", "Two Words");
        rig.build();
        window = std::make_unique<AppListWindow>(
            AppListWindow::Collaborators{rig.installedApps, *rig.icons,
                                         [this](const std::string& id) { opened.push_back(id); }});
        window->show();
    }

    void press(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(&window->appListOutlineView(), &event);
    }

    PreferencesRig rig;
    std::unique_ptr<AppListWindow> window;
    std::vector<std::string> opened;
};

TEST_F(AppListWindowTest, RowsDragAsTheFileUrlOfTheirDesktopEntry) {
    auto& model = window->model();
    std::vector<std::string> names;
    for (int i = 0; i < model.rowCount(); ++i)
        names.push_back(model.data(model.index(i), Qt::DisplayRole).toString().toStdString());
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Beta", "Two Words"}));
    EXPECT_FALSE(model.data(model.index(0), Qt::DecorationRole).value<QIcon>().isNull());

    std::unique_ptr<QMimeData> data(model.mimeData({model.index(2)}));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{"text/uri-list"});
    EXPECT_EQ(data->urls(), QList<QUrl>{QUrl("file://" + rig.dir.path() + "/two%20words.desktop")});

    // The drag lands on a slot button, which takes the application.
    SlotConfigButton button(rig.buttonCollaborators(), 2);
    EXPECT_TRUE(PreferencesRig::drop(button, *data));
    EXPECT_EQ(button.selectedAction().stringValue, "two words");
}

TEST_F(AppListWindowTest, ReturnAndDoubleClickOpenTheSelectedApplication) {
    // Nothing selected: nothing opens.
    press(Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_TRUE(opened.empty());

    auto& list = window->appListOutlineView();
    list.setCurrentIndex(window->model().index(1)); // Beta
    // Return alone or with a modifier that still types it opens; the keypad's Enter does not.
    const std::tuple<int, Qt::KeyboardModifiers, QString, bool> keys[] = {
        {Qt::Key_Return, Qt::NoModifier, "\r", true},
        {Qt::Key_Return, Qt::ShiftModifier, "\r", true},
        {Qt::Key_Return, Qt::ControlModifier, "", false},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", false},
        {Qt::Key_B, Qt::NoModifier, "b", false},
    };
    for (const auto& [key, modifiers, text, opens] : keys) {
        SCOPED_TRACE(testing::Message() << key << " " << modifiers.toInt() << " " << opens);
        opened.clear();
        press(key, modifiers, text);
        EXPECT_EQ(opened, std::vector<std::string>(opens, "beta"));
    }
    opened.clear();
    Q_EMIT list.doubleClicked(window->model().index(0));
    EXPECT_EQ(opened, std::vector<std::string>{"beta"}) << "the selected row opens";
}

} // namespace
} // namespace zentrivo
