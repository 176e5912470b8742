#pragma once

#include "app/input/AccessibilityWindowFactory.h"

namespace zentrivo {

/// Makes the permission prompt as a Qt window (`AccessibilityWindowWidget`). Needs a
/// QApplication.
class QtAccessibilityWindowFactory final : public AccessibilityWindowFactory {
public:
    std::unique_ptr<AccessibilityWindow> makeWindow(const AccessibilityPromptContent& content,
                                                    std::function<void()> quit) override;
};

} // namespace zentrivo
