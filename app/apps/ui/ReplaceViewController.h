#pragma once

#include "app/apps/ReplacePromptPresenter.h"

#include <QWidget>
#include <filesystem>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;

namespace zentrivo {

class MasterReplaceViewController;

/// One prompt: the question for the first item still waiting, an "apply to all" check box while
/// more than one waits, and Keep Both / Stop / Replace. Each decision goes to `callback` with the
/// items it applies to; the prompt takes itself out of `master` when nothing is left to decide.
class ReplaceViewController final : public QWidget {
    Q_OBJECT
public:
    ReplaceViewController(MasterReplaceViewController& master,
                          std::vector<std::filesystem::path> fileUrls,
                          ReplacePromptPresenter::Callback callback);

    /// The question for `name`; a name that is not UTF-8 shows its other bytes as U+FFFD.
    static QString question(const std::filesystem::path& name);

    void keepBoth();
    void stop();
    void replace();

    /// Items still waiting for a decision, in drop order.
    const std::vector<std::filesystem::path>& pendingItems() const { return fileUrls; }

    QLabel* textField;
    QCheckBox* applyAllButton;
    QPushButton* keepBothButton;
    QPushButton* stopButton;
    QPushButton* replaceButton;

private:
    /// Shows the first pending item, or leaves the window when there is none.
    void showFirstItem();
    void decide(ReplaceResponse response);

    MasterReplaceViewController& master;
    std::vector<std::filesystem::path> fileUrls;
    ReplacePromptPresenter::Callback callback;
};

} // namespace zentrivo
