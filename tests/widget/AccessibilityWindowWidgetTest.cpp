#include "app/input/ui/AccessibilityWindowWidget.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

TEST(AccessibilityWindow, CopiesTheShownCommandAndTheUsersCloseFollowsTheBehaviour) {
    // behaviour, close button, still visible after the user's close, quits; the program's own
    // close always works
    const std::tuple<CloseBehavior, bool, bool, int> cases[] = {
        {CloseBehavior::notClosable, false, true, 0},
        {CloseBehavior::closable, true, false, 0},
        {CloseBehavior::closeWillQuit, true, true, 1},
    };
    for (const auto& [behavior, closeButton, staysVisible, quits] : cases) {
        SCOPED_TRACE(static_cast<int>(behavior));
        int quitCalls = 0;
        AccessibilityWindowWidget window({std::nullopt, std::nullopt, "m", behavior},
                                         [&] { ++quitCalls; });
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowCloseButtonHint), closeButton);
        window.present();
        QGuiApplication::clipboard()->setText("something else");
        window.findChild<QPushButton*>("copyCommand")->click();
        const QString shown = window.findChild<QLabel*>("command")->text();
        EXPECT_TRUE(!shown.trimmed().isEmpty() && QGuiApplication::clipboard()->text() == shown);
        window.close(); // what the title bar's close button does
        EXPECT_EQ(window.isVisible(), staysVisible);
        window.closeForGood();
        EXPECT_EQ(std::pair(window.isVisible(), quitCalls), std::pair(false, quits));
    }
}

} // namespace
} // namespace zentrivo
