#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <functional>
#include <optional>

namespace zentrivo {

/// A small transient window beside a control that explains it: it opens at the anchor's right
/// edge, vertically centred on it, and closes when the user clicks anywhere outside it (or
/// presses Escape). Showing it again reuses the same window.
class PopoverFrame : public QFrame {
    Q_OBJECT
public:
    explicit PopoverFrame(QWidget* parent = nullptr);

    /// Shows the popover next to the right edge of `anchor`, kept on the anchor's screen.
    void showBeside(QWidget& anchor);
    /// The widget the popover was last shown beside; null before the first show.
    QWidget* anchor() const { return anchorWidget; }

private:
    QPointer<QWidget> anchorWidget;
};

/// A popover that shows one text.
class MessagePopover final {
public:
    MessagePopover();
    MessagePopover(const MessagePopover&) = delete;
    MessagePopover& operator=(const MessagePopover&) = delete;

    /// Sets the text and shows the popover beside `anchor`.
    void show(const QString& message, QWidget& anchor);

    PopoverFrame& popover() { return frame; }
    QLabel& messageField() { return *label; }

private:
    PopoverFrame frame;
    QLabel* label;
};

/// A popover with a text and one check box, whose changes go to a callback.
class MessageCheckboxPopover final {
public:
    using Callback = std::function<void(bool checked)>;

    MessageCheckboxPopover();
    MessageCheckboxPopover(const MessageCheckboxPopover&) = delete;
    MessageCheckboxPopover& operator=(const MessageCheckboxPopover&) = delete;

    /// Shows the popover beside `anchor` with the check box set to `checked`. A missing message
    /// or title keeps the one shown before; a missing callback keeps the previous callback.
    void show(const std::optional<QString>& message, const std::optional<QString>& checkboxTitle,
              QWidget& anchor, bool checked, Callback newCallback = {});

    PopoverFrame& popover() { return frame; }
    QLabel& textField() { return *label; }
    QCheckBox& checkbox() { return *box; }

private:
    PopoverFrame frame;
    QLabel* label;
    QCheckBox* box;
    Callback callback;
};

} // namespace zentrivo
