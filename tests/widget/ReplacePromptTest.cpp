#include "app/apps/ui/MasterReplaceViewController.h"
#include "app/apps/ui/QtReplacePromptPresenter.h"
#include "app/apps/ui/ReplaceViewController.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <gtest/gtest.h>

namespace zentrivo {
namespace {

namespace fs = std::filesystem;

const QString exists = QStringLiteral("\" already exists in this location. Do you want to replace "
                                      "it with the one you're moving?");

/// The presenter with a callback that writes each decision down as "keepBoth b.txt c.txt".
struct PromptRig {
    QtReplacePromptPresenter presenter;
    std::vector<std::string> decisions;

    void show(std::vector<fs::path> items) {
        presenter.showReplacePrompt(
            items, [this](ReplaceResponse r, const std::vector<fs::path>& chosen) {
                std::string line = std::array{"keepBoth", "stop", "replace"}[static_cast<int>(r)];
                for (const auto& item : chosen)
                    line += " " + item.filename().string();
                decisions.push_back(line);
            });
    }
    ReplaceViewController& prompt(std::size_t index) {
        return *presenter.window()->replaceViewControllers().at(index);
    }
    long separators() {
        return std::ranges::count_if(
            presenter.window()->findChildren<QFrame*>(), [](QFrame* frame) {
                return frame->frameShape() == QFrame::HLine && frame->isVisible();
            });
    }
};

TEST(ReplacePrompt, ShowsNamesAsTextAnswersOneByOneOrAllAtOnceThenReleasesTheWindow) {
    PromptRig rig;
    const std::string odd = "<b>caf\xe9 &amp; co.txt"; // markup, and not UTF-8
    rig.show({"/drop/" + odd, "/drop/c.txt"});
    QPointer<MasterReplaceViewController> window = rig.presenter.window();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Item Already Exists");
    auto& prompt = rig.prompt(0);
    EXPECT_EQ(prompt.textField->text(),
              QStringLiteral("An item named \"<b>caf\uFFFD &amp; co.txt") + exists);
    EXPECT_EQ(prompt.textField->textFormat(), Qt::PlainText);
    EXPECT_EQ(prompt.keepBothButton->text() + "|" + prompt.stopButton->text() + "|" +
                  prompt.replaceButton->text(),
              "Keep Both|Stop|Replace");
    // Scripts click Keep Both at (75, height - 35) of the window: the middle of a 110 × 30 button
    // 20 pixels from the left and bottom edges.
    EXPECT_EQ(
        QRect(prompt.keepBothButton->mapTo(window, QPoint(0, 0)), prompt.keepBothButton->size()),
        QRect(20, window->height() - 50, 110, 30));

    prompt.keepBothButton->click();
    EXPECT_EQ(prompt.textField->text(), "An item named \"c.txt" + exists);
    EXPECT_FALSE(prompt.applyAllButton->isVisible()) << "one item left";
    prompt.replaceButton->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "released";

    // The next clash opens a new window; with the check box on, one answer decides the rest.
    rig.show({"/drop/d", "/drop/e", "/drop/f"});
    ASSERT_TRUE(rig.presenter.window());
    rig.prompt(0).keepBothButton->click();
    rig.prompt(0).applyAllButton->setChecked(true);
    rig.prompt(0).replaceButton->click();
    EXPECT_EQ(rig.decisions, (std::vector<std::string>{"keepBoth " + odd, "replace c.txt",
                                                       "keepBoth d", "replace e f"}));
}

TEST(ReplacePrompt, SecondDropStacksBelowASeparatorUntilStopOrCloseAnswersIt) {
    PromptRig rig;
    rig.show({"/one/a", "/one/b"});
    QPointer<MasterReplaceViewController> window = rig.presenter.window();
    rig.show({"/two/x"});
    ASSERT_EQ(rig.presenter.window(), window.data()) << "one window for both";
    ASSERT_EQ(window->replaceViewControllers().size(), 2u);
    EXPECT_EQ(rig.separators(), 1);
    EXPECT_GT(rig.prompt(1).y(), rig.prompt(0).y() + rig.prompt(0).height() - 1);

    rig.prompt(0).stopButton->click();
    ASSERT_EQ(window->replaceViewControllers().size(), 1u);
    EXPECT_EQ(rig.separators(), 0);
    EXPECT_TRUE(window->isVisible());
    // Closing the window is Stop for whatever is left.
    window->close();
    EXPECT_EQ(rig.decisions, (std::vector<std::string>{"stop", "stop"}));
    EXPECT_EQ(rig.presenter.window(), nullptr);
}

} // namespace
} // namespace zentrivo
