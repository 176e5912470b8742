#pragma once

namespace zentrivo {

/// The permission prompt's window, made by `AccessibilityWindowFactory`.
class AccessibilityWindow {
public:
    AccessibilityWindow() = default;
    virtual ~AccessibilityWindow() = default;
    AccessibilityWindow(const AccessibilityWindow&) = delete;
    AccessibilityWindow& operator=(const AccessibilityWindow&) = delete;

    /// Brings the program forward, shows the window centred on the screen and gives it the focus.
    /// Shows it again after the user closed it.
    virtual void present() = 0;
    /// Closes the window; closing a closed window does nothing.
    virtual void close() = 0;
};

} // namespace zentrivo
