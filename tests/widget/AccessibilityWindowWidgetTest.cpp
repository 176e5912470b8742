#include "app/input/ui/AccessibilityWindowWidget.h"

#include "app/input/AccessibilityAuth.h"
#include "app/input/ui/QtAccessibilityWindowFactory.h"
#include "tests/fakes/FakeAccessibilityPorts.h"
#include "tests/fakes/FakeMainQueue.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLayout>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

using namespace std::chrono_literals;

constexpr const char* message = "Accessibility permissions are necessary in order to receive "
                                "trackpad touch input for gestures.";

AccessibilityPromptContent content(std::optional<std::string> appName = "Zentrivo",
                                   std::optional<std::string> icon = std::nullopt,
                                   CloseBehavior behavior = CloseBehavior::closable) {
    return {std::move(appName), std::move(icon), message, behavior};
}

QString text(const QWidget& window, const char* name) {
    const auto* label = window.findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<none>");
}

std::vector<QString> innerOrder(const QWidget& window) {
    std::vector<QString> names;
    const QLayout* inner = window.layout()->itemAt(0)->layout();
    for (int i = 0; i < inner->count(); ++i)
        names.push_back(inner->itemAt(i)->widget()->objectName());
    return names;
}

int visiblePrompts() {
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (dynamic_cast<AccessibilityWindowWidget*>(w) && w->isVisible())
            ++count;
    return count;
}

/// Restores the application's display name when the test is done with it.
class DisplayNameGuard {
public:
    explicit DisplayNameGuard(const QString& name)
        : saved(QGuiApplication::applicationDisplayName()) {
        QGuiApplication::setApplicationDisplayName(name);
    }
    ~DisplayNameGuard() { QGuiApplication::setApplicationDisplayName(saved); }

private:
    QString saved;
};

/// A small image file to use as the prompt's icon.
class TemporaryIcon {
public:
    TemporaryIcon() {
        QPixmap pixmap(16, 8);
        pixmap.fill(Qt::red);
        path = dir.filePath("icon.png");
        saved = pixmap.save(path);
    }
    QTemporaryDir dir;
    QString path;
    bool saved = false;
};

TEST(AccessibilityWindow, SaysWhatToDoInOrder) {
    TemporaryIcon icon;
    ASSERT_TRUE(icon.saved);
    AccessibilityWindowWidget window(content("Zentrivo", icon.path.toStdString()), nullptr);
    EXPECT_EQ(innerOrder(window),
              (std::vector<QString>{"icon", "title", "message", "instruction", "command",
                                    "copyCommand", "enable", "bottomGap"}));
    EXPECT_EQ(text(window, "title"), "Authorize Zentrivo");
    EXPECT_EQ(text(window, "message"), message);
    EXPECT_EQ(text(window, "instruction"),
              "Zentrivo needs to read your touchpad. Add your user to the input group, then log "
              "out and back in:");
    EXPECT_EQ(text(window, "command"), "sudo usermod -aG input $USER");
    EXPECT_EQ(text(window, "enable"), "Enable Zentrivo");
    const auto* button = window.findChild<QPushButton*>("copyCommand");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Copy Command");
    EXPECT_TRUE(window.findChild<QLabel*>("command")->textInteractionFlags() &
                Qt::TextSelectableByMouse);
    EXPECT_TRUE(window.findChild<QLabel*>("message")->wordWrap());
    EXPECT_TRUE(window.findChild<QLabel*>("instruction")->wordWrap());
    EXPECT_FALSE(window.findChild<QLabel*>("icon")->pixmap().isNull());

    // An icon that names nothing loadable is left out.
    AccessibilityWindowWidget noIcon(content("Zentrivo", "no-such-icon-anywhere"), nullptr);
    EXPECT_EQ(noIcon.findChild<QLabel*>("icon"), nullptr);
}

TEST(AccessibilityWindow, KeepsTheDescribedSizesAndSpacing) {
    TemporaryIcon image;
    ASSERT_TRUE(image.saved);
    AccessibilityWindowWidget window(content("Zentrivo", image.path.toStdString()), nullptr);
    window.present();
    const auto* icon = window.findChild<QLabel*>("icon");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->size(), QSize(80, 80));
    EXPECT_EQ(icon->pixmap().size(), QSize(80, 40)); // a 16 × 8 image, scaled to fit
    EXPECT_EQ(window.findChild<QLabel*>("title")->font().pointSize(), 22);
    EXPECT_EQ(window.findChild<QLabel*>("instruction")->font().pointSize(), 10);
    EXPECT_EQ(window.findChild<QLabel*>("message")->width(), 250);
    EXPECT_EQ(window.findChild<QLabel*>("instruction")->width(), 200);
    EXPECT_EQ(window.findChild<QWidget*>("bottomGap")->height(), 5);
    EXPECT_GE(window.width(), 300);

    const QLayout* outer = window.layout();
    const QLayout* inner = outer->itemAt(0)->layout();
    EXPECT_EQ(outer->spacing(), 20);
    EXPECT_EQ(outer->contentsMargins().top(), 30);
    EXPECT_EQ(inner->spacing(), 14);
    EXPECT_EQ(inner->contentsMargins(), QMargins(20, 0, 20, 10));
    window.closeForGood();
}

TEST(AccessibilityWindow, CopyButtonPutsTheCommandOnTheClipboard) {
    QGuiApplication::clipboard()->setText("something else");
    AccessibilityWindowWidget window(content(), nullptr);
    window.findChild<QPushButton*>("copyCommand")->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "sudo usermod -aG input $USER");
}

TEST(AccessibilityWindow, NameFallsBackToTheApplicationAndEmptyLeavesLabelsOut) {
    const DisplayNameGuard guard("Zentrivo Test");
    AccessibilityWindowWidget fallback(content(std::nullopt), nullptr);
    EXPECT_EQ(text(fallback, "title"), "Authorize Zentrivo Test");
    EXPECT_EQ(text(fallback, "enable"), "Enable Zentrivo Test");

    AccessibilityWindowWidget nameless(content(""), nullptr);
    EXPECT_EQ(text(nameless, "title"), "<none>");
    EXPECT_EQ(text(nameless, "enable"), "<none>");
    // No icon given and the test application has none: left out as well.
    EXPECT_EQ(innerOrder(nameless), (std::vector<QString>{"message", "instruction", "command",
                                                          "copyCommand", "bottomGap"}));
}

TEST(AccessibilityWindow, CloseBehaviours) {
    struct Case {
        CloseBehavior behavior;
        bool hasCloseButton;
        bool userCloseHides;
        int quits;
    };
    const Case cases[] = {
        {CloseBehavior::notClosable, false, false, 0},
        {CloseBehavior::closable, true, true, 0},
        {CloseBehavior::closeWillQuit, true, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.behavior));
        int quits = 0;
        AccessibilityWindowWidget window(content("Zentrivo", std::nullopt, c.behavior),
                                         [&] { ++quits; });
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowCloseButtonHint), c.hasCloseButton);
        window.present();
        ASSERT_TRUE(window.isVisible());
        window.close(); // what the title bar's close button does
        EXPECT_EQ(window.isVisible(), !c.userCloseHides);
        EXPECT_EQ(quits, c.quits);
        window.closeForGood(); // the program's own close works whatever the behaviour
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(quits, c.quits);
    }
}

TEST(AccessibilityWindow, PresentCentresTheWindowOnTheScreen) {
    AccessibilityWindowWidget window(content(), nullptr);
    window.present();
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((window.frameGeometry().center() - centre).manhattanLength(), 2);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window, 5000)); // activation is asynchronous
    window.closeForGood();
}

TEST(AccessibilityPromptFlow, RealWindowAppearsAndGoesWhenGranted) {
    test::FakeInputAccess access;
    test::FakeMainQueue queue;
    test::FakeProcessExit process;
    QtAccessibilityWindowFactory windows;
    int completions = 0;
    {
        AccessibilityAuth auth(access, windows, queue, process);
        EXPECT_FALSE(auth.check(std::nullopt, std::nullopt, message, CloseBehavior::closable,
                                [&] { ++completions; }));
        EXPECT_EQ(visiblePrompts(), 1);

        // The user closes it; the check goes on, and asking again shows the same window.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (dynamic_cast<AccessibilityWindowWidget*>(w))
                w->close();
        EXPECT_EQ(visiblePrompts(), 0);
        queue.advance(600ms);
        EXPECT_FALSE(
            auth.check(std::nullopt, std::nullopt, message, CloseBehavior::closable, [] {}));
        EXPECT_EQ(visiblePrompts(), 1);

        access.trusted = true;
        queue.advance(300ms);
        EXPECT_EQ(completions, 1);
        EXPECT_EQ(visiblePrompts(), 0);
        EXPECT_FALSE(auth.hasWindow());
    }
    int prompts = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        prompts += dynamic_cast<AccessibilityWindowWidget*>(w) != nullptr;
    EXPECT_EQ(prompts, 0); // released, not merely hidden
}

TEST(AccessibilityPromptFlow, QuitButtonBehaviourEndsTheProcessWithZero) {
    test::FakeInputAccess access;
    test::FakeMainQueue queue;
    test::FakeProcessExit process;
    QtAccessibilityWindowFactory windows;
    AccessibilityAuth auth(access, windows, queue, process);
    auth.check(std::nullopt, std::nullopt, message, CloseBehavior::closeWillQuit, [] {});
    for (QWidget* w : QApplication::topLevelWidgets())
        if (dynamic_cast<AccessibilityWindowWidget*>(w))
            w->close();
    EXPECT_EQ(process.statuses, (std::vector<int>{0}));
    EXPECT_EQ(visiblePrompts(), 1);
}

} // namespace
} // namespace zentrivo
