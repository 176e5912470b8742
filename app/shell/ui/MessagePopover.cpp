#include "MessagePopover.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace zentrivo {

namespace {

QLabel* makeMessageLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("messageField"));
    label->setWordWrap(true);
    label->setFixedWidth(250);
    label->setMinimumHeight(30);
    label->setTextFormat(Qt::PlainText);
    // Readers of the popover find the explanation as its text.
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

} // namespace

PopoverFrame::PopoverFrame(QWidget* parent) : QFrame(parent, Qt::Popup) {
    setFrameShape(QFrame::StyledPanel);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void PopoverFrame::showBeside(QWidget& anchor) {
    anchorWidget = &anchor;
    adjustSize();
    QPoint topLeft = anchor.mapToGlobal(QPoint(anchor.width(), anchor.height() / 2));
    topLeft.ry() -= height() / 2;
    if (const QScreen* screen = anchor.screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(
            std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - width())));
        topLeft.setY(
            std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() - height())));
    }
    move(topLeft);
    show();
    raise();
}

MessagePopover::MessagePopover() : label(makeMessageLabel(&frame)) {
    frame.setObjectName(QStringLiteral("MessagePopoverViewController"));
    auto* layout = new QVBoxLayout(&frame);
    layout->setContentsMargins(15, 15, 15, 15);
    layout->addWidget(label);
}

void MessagePopover::show(const QString& message, QWidget& anchor) {
    label->setText(message);
    frame.setAccessibleName(message);
    frame.showBeside(anchor);
}

MessageCheckboxPopover::MessageCheckboxPopover()
    : label(makeMessageLabel(&frame)), box(new QCheckBox(&frame)) {
    frame.setObjectName(QStringLiteral("MessageCheckboxPopover"));
    auto* layout = new QVBoxLayout(&frame);
    layout->setContentsMargins(15, 15, 15, 15);
    layout->addWidget(label, 0, Qt::AlignHCenter);
    box->setObjectName(QStringLiteral("checkbox"));
    box->setMinimumHeight(30);
    layout->addWidget(box, 0, Qt::AlignHCenter);
    QObject::connect(box, &QCheckBox::clicked, &frame, [this](bool) {
        if (callback)
            callback(box->checkState() == Qt::Checked);
    });
}

void MessageCheckboxPopover::show(const std::optional<QString>& message,
                                  const std::optional<QString>& checkboxTitle, QWidget& anchor,
                                  bool checked, Callback newCallback) {
    if (message) {
        label->setText(*message);
        frame.setAccessibleName(*message);
    }
    if (checkboxTitle) {
        box->setText(*checkboxTitle);
        box->setAccessibleName(*checkboxTitle);
    }
    box->setChecked(checked);
    if (newCallback)
        callback = std::move(newCallback);
    frame.showBeside(anchor);
    box->setFocus(Qt::PopupFocusReason);
}

} // namespace zentrivo
