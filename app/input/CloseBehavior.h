#pragma once

namespace zentrivo {

/// What the close button of the permission prompt does.
enum class CloseBehavior : int {
    /// The window has no close button.
    notClosable = 0,
    /// The close button closes the window.
    closable = 1,
    /// The close button ends the program.
    closeWillQuit = 2,
};

} // namespace zentrivo
