#pragma once

#include "AccessibilityWindow.h"
#include "CloseBehavior.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zentrivo {

/// What the prompt says.
struct AccessibilityPromptContent {
    /// The program's name for "Authorize …" and "Enable …"; none: the application's display name.
    std::optional<std::string> appName;
    /// An icon theme name or an image file; none: the application's icon.
    std::optional<std::string> icon;
    std::string message;
    CloseBehavior closeBehavior = CloseBehavior::closable;
};

/// Builds permission prompt windows.
class AccessibilityWindowFactory {
public:
    AccessibilityWindowFactory() = default;
    virtual ~AccessibilityWindowFactory() = default;
    AccessibilityWindowFactory(const AccessibilityWindowFactory&) = delete;
    AccessibilityWindowFactory& operator=(const AccessibilityWindowFactory&) = delete;

    /// A new, not yet shown window. With `CloseBehavior::closeWillQuit` its close button calls
    /// `quit` instead of closing. Never fails.
    virtual std::unique_ptr<AccessibilityWindow>
    makeWindow(const AccessibilityPromptContent& content, std::function<void()> quit) = 0;
};

} // namespace zentrivo
