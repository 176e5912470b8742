#include "app/input/ui/AccessibilityWindowWidget.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

constexpr const char* command = "sudo usermod -aG input $USER";

TEST(AccessibilityWindow, SaysWhatToDoInOrderWithTheDescribedSizesAndCopiesTheCommand) {
    QTemporaryDir dir;
    QPixmap pixmap(16, 8);
    pixmap.fill(Qt::red);
    ASSERT_TRUE(pixmap.save(dir.filePath("icon.png")));
    AccessibilityWindowWidget window(
        {"Zentrivo", dir.filePath("icon.png").toStdString(), "Needed.", CloseBehavior::closable},
        {});
    window.present();
    QStringList shown; // "name: text", top to bottom
    const QLayout* inner = window.layout()->itemAt(0)->layout();
    for (int i = 0; i < inner->count(); ++i)
        shown << inner->itemAt(i)->widget()->objectName() + ": " +
                     inner->itemAt(i)->widget()->property("text").toString();
    EXPECT_EQ(shown, (QStringList{"icon: ", "title: Authorize Zentrivo", "message: Needed.",
                                  "instruction: Zentrivo needs to read your touchpad. Add your "
                                  "user to the input group, then log out and back in:",
                                  QString("command: ") + command, "copyCommand: Copy Command",
                                  "enable: Enable Zentrivo", "bottomGap: "}));
    const auto label = [&](const char* name) { return window.findChild<QLabel*>(name); };
    EXPECT_EQ(label("icon")->size(), QSize(80, 80));
    EXPECT_EQ(label("icon")->pixmap().size(), QSize(80, 40)); // the 16 × 8 image, scaled up
    EXPECT_EQ(label("title")->font().pointSize(), 22);
    EXPECT_EQ(label("instruction")->font().pointSize(), 10);
    EXPECT_EQ(label("message")->width(), 250);
    EXPECT_EQ(label("instruction")->width(), 200);
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((window.frameGeometry().center() - centre).manhattanLength(), 2);

    QGuiApplication::clipboard()->setText("something else");
    window.findChild<QPushButton*>("copyCommand")->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), command);
}

TEST(AccessibilityWindow, CloseBehavioursWithTheApplicationsNameAndNoIcon) {
    // behaviour, close button, still visible after the user's close, quits
    const std::tuple<CloseBehavior, bool, bool, int> cases[] = {
        {CloseBehavior::notClosable, false, true, 0},
        {CloseBehavior::closable, true, false, 0},
        {CloseBehavior::closeWillQuit, true, true, 1},
    };
    for (const auto& [behavior, closeButton, staysVisible, quits] : cases) {
        SCOPED_TRACE(static_cast<int>(behavior));
        int quitCalls = 0;
        AccessibilityWindowWidget window({std::nullopt, "no-such-icon", "m", behavior},
                                         [&] { ++quitCalls; });
        EXPECT_EQ(window.findChild<QLabel*>("title")->text(),
                  "Authorize " + QGuiApplication::applicationDisplayName());
        EXPECT_EQ(window.findChild<QLabel*>("icon"), nullptr);
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowCloseButtonHint), closeButton);
        window.present();
        window.close(); // what the title bar's close button does
        EXPECT_EQ(window.isVisible(), staysVisible);
        window.closeForGood(); // the program's own close works whatever the behaviour
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(quitCalls, quits);
    }
}

} // namespace
} // namespace zentrivo
