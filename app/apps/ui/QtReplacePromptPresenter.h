#pragma once

#include "app/apps/ReplacePromptPresenter.h"
#include "app/apps/ui/MasterReplaceViewController.h"

#include <QPointer>

namespace zentrivo {

/// Shows replace prompts in one Qt window, created for the first prompt and released when its
/// last prompt is gone.
class QtReplacePromptPresenter final : public ReplacePromptPresenter {
public:
    QtReplacePromptPresenter() = default;
    ~QtReplacePromptPresenter() override;

    void showReplacePrompt(const std::vector<std::filesystem::path>& items,
                           Callback callback) override;

    /// The open prompt window; null while no prompt is shown.
    MasterReplaceViewController* window() const { return master; }

private:
    QPointer<MasterReplaceViewController> master;
};

} // namespace zentrivo
