#pragma once

#include "app/input/AccessibilityWindowFactory.h"

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace zentrivo {

/// The permission prompt: why the program needs to read the touchpad, the command that grants
/// it, and a button that copies the command.
class AccessibilityWindowWidget final : public QWidget {
public:
    static constexpr const char* instructionText =
        "Run this once in a terminal to let Zentrivo read your touchpad, and no other device. "
        "It takes effect at once.";
    /// Installs a udev rule that gives the user at the seat access to touchpads only (never the
    /// `input` group, which would open every keyboard to every program of the user), then
    /// applies it to the input devices present.
    static constexpr const char* command =
        "echo 'ENV{ID_INPUT_TOUCHPAD}==\"1\", TAG+=\"uaccess\"' | "
        "sudo tee /etc/udev/rules.d/70-zentrivo-touchpad.rules && "
        "sudo udevadm control --reload && sudo udevadm trigger --subsystem-match=input";
    static constexpr const char* copyButtonTitle = "Copy Command";
    static constexpr int iconSize = 80;
    static constexpr int titleFontSize = 22;
    static constexpr int instructionFontSize = 10;
    static constexpr int messageWidth = 250;
    static constexpr int instructionWidth = 200;
    static constexpr int minimumContentWidth = 300;

    /// `quit` is the close button's action under `CloseBehavior::closeWillQuit`.
    AccessibilityWindowWidget(const AccessibilityPromptContent& content, std::function<void()> quit,
                              QWidget* parent = nullptr);

    /// Shows the window centred on its screen, raised and focused.
    void present();
    /// Closes the window whatever its close behaviour (the program's own close, not the user's).
    void closeForGood();

    CloseBehavior closeBehavior() const { return behavior; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* addLabel(const QString& text, const char* objectName);
    void centreOnScreen();

    CloseBehavior behavior;
    std::function<void()> quit;
    bool closingForGood = false;
};

} // namespace zentrivo
