#pragma once

#include <filesystem>
#include <functional>
#include <vector>

namespace zentrivo {

/// The user's answer to "an item with this name already exists". The raw values are fixed.
enum class ReplaceResponse { keepBoth = 0, stop = 1, replace = 2 };

/// Shows the replace prompt: one prompt per call, stacked in one window while several are open.
class ReplacePromptPresenter {
public:
    /// Receives each decision with the items it applies to (an empty list for `stop`).
    using Callback =
        std::function<void(ReplaceResponse, const std::vector<std::filesystem::path>&)>;

    ReplacePromptPresenter() = default;
    virtual ~ReplacePromptPresenter() = default;
    ReplacePromptPresenter(const ReplacePromptPresenter&) = delete;
    ReplacePromptPresenter& operator=(const ReplacePromptPresenter&) = delete;

    /// Shows one prompt for `items` (never empty), in drop order, brings its window to the front
    /// and returns at once; `callback` runs later, on the main thread, once per decision. Never
    /// fails: a prompt that cannot be shown is logged and its items stay where they are.
    virtual void showReplacePrompt(const std::vector<std::filesystem::path>& items,
                                   Callback callback) = 0;
};

} // namespace zentrivo
