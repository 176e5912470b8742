#pragma once

#include "app/apps/ReplacePromptPresenter.h"

#include <vector>

namespace zentrivo::test {

/// Records every prompt; a test answers one by calling its callback.
class FakeReplacePromptPresenter final : public ReplacePromptPresenter {
public:
    struct Prompt {
        std::vector<std::filesystem::path> items;
        Callback callback;
    };
    void showReplacePrompt(const std::vector<std::filesystem::path>& items,
                           Callback callback) override {
        prompts.push_back({items, std::move(callback)});
    }
    std::vector<Prompt> prompts;
};

} // namespace zentrivo::test
