#include "QtAccessibilityWindowFactory.h"

#include "AccessibilityWindowWidget.h"

#include <utility>

namespace zentrivo {
namespace {

/// The port over one widget; destroying it destroys the window.
class QtAccessibilityWindow final : public AccessibilityWindow {
public:
    QtAccessibilityWindow(const AccessibilityPromptContent& content, std::function<void()> quit)
        : widget(std::make_unique<AccessibilityWindowWidget>(content, std::move(quit))) {}

    void present() override { widget->present(); }
    void close() override { widget->closeForGood(); }

private:
    std::unique_ptr<AccessibilityWindowWidget> widget;
};

} // namespace

std::unique_ptr<AccessibilityWindow>
QtAccessibilityWindowFactory::makeWindow(const AccessibilityPromptContent& content,
                                         std::function<void()> quit) {
    return std::make_unique<QtAccessibilityWindow>(content, std::move(quit));
}

} // namespace zentrivo
