#pragma once

#include <QWidget>
#include <functional>
#include <vector>

class QVBoxLayout;

namespace zentrivo {

class ReplaceViewController;

/// The replace prompt window: one prompt per drop, top to bottom, a separator between each two.
/// Calls `lastPromptRemoved` when its last prompt is gone, so that its owner can release it.
/// Closing the window stops every prompt in it.
class MasterReplaceViewController final : public QWidget {
    Q_OBJECT
public:
    /// The window title, by which scripts and tests find the window.
    static constexpr const char* title = "Item Already Exists";

    explicit MasterReplaceViewController(std::function<void()> lastPromptRemoved);

    /// Appends `prompt` (taking ownership), below a separator when others are shown.
    void add(ReplaceViewController* prompt);
    /// Takes `prompt` out and deletes it once control is back in the event loop.
    void remove(ReplaceViewController* prompt);

    /// The prompts shown, top to bottom.
    const std::vector<ReplaceViewController*>& replaceViewControllers() const { return prompts; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QVBoxLayout* stackView;
    std::vector<ReplaceViewController*> prompts;
    std::function<void()> lastPromptRemoved;
};

} // namespace zentrivo
