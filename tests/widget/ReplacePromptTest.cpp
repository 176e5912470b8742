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
class ReplacePromptTest : public ::testing::Test {
protected:
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

TEST_F(ReplacePromptTest, ShowsNamesAsTextAnswersOneByOneOrAllAtOnceThenReleasesTheWindow) {
    const std::string odd = "<b>caf\xe9 &amp; co.txt"; // markup, and not UTF-8
    show({"/drop/" + odd, "/drop/c.txt"});
    QPointer<MasterReplaceViewController> window = presenter.window();
    ASSERT_TRUE(window && window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Item Already Exists");
    auto& first = prompt(0);
    EXPECT_EQ(first.textField->text(),
              QStringLiteral("An item named \"<b>caf\uFFFD &amp; co.txt") + exists);
    EXPECT_EQ(first.textField->textFormat(), Qt::PlainText);
    EXPECT_EQ(first.keepBothButton->text() + "|" + first.stopButton->text() + "|" +
                  first.replaceButton->text(),
              "Keep Both|Stop|Replace");
    // Scripts click Keep Both at (75, height - 35) of the window: the middle of a 110 × 30 button
    // 20 pixels from the left and bottom edges.
    EXPECT_EQ(
        QRect(first.keepBothButton->mapTo(window, QPoint(0, 0)), first.keepBothButton->size()),
        QRect(20, window->height() - 50, 110, 30));

    first.keepBothButton->click();
    EXPECT_EQ(first.textField->text(), "An item named \"c.txt" + exists);
    EXPECT_FALSE(first.applyAllButton->isVisible()) << "one item left";
    first.replaceButton->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "released";

    // The next clash opens a new window; with the check box on, one answer decides the rest.
    show({"/drop/d", "/drop/e", "/drop/f"});
    ASSERT_TRUE(presenter.window());
    prompt(0).keepBothButton->click();
    prompt(0).applyAllButton->setChecked(true);
    prompt(0).replaceButton->click();
    EXPECT_EQ(decisions, (std::vector<std::string>{"keepBoth " + odd, "replace c.txt", "keepBoth d",
                                                   "replace e f"}));
}

TEST_F(ReplacePromptTest, SecondDropStacksBelowASeparatorUntilStopOrCloseAnswersIt) {
    show({"/one/a", "/one/b"});
    QPointer<MasterReplaceViewController> window = presenter.window();
    show({"/two/x"});
    ASSERT_EQ(presenter.window(), window.data()) << "one window for both";
    ASSERT_EQ(std::pair(window->replaceViewControllers().size(), separators()), std::pair(2ul, 1l));
    EXPECT_GT(prompt(1).y(), prompt(0).y() + prompt(0).height() - 1);

    prompt(0).stopButton->click();
    EXPECT_EQ(
        std::tuple(window->replaceViewControllers().size(), separators(), window->isVisible()),
        std::tuple(1ul, 0l, true));
    // Closing the window is Stop for whatever is left.
    window->close();
    EXPECT_EQ(decisions, (std::vector<std::string>{"stop", "stop"}));
    EXPECT_EQ(presenter.window(), nullptr);
}

} // namespace
} // namespace zentrivo
