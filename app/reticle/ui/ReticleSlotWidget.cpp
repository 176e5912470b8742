#include "ReticleSlotWidget.h"

#include "SlotDecorations.h"

#include <QMouseEvent>
#include <QPainter>

namespace zentrivo {

ReticleSlotWidget::ReticleSlotWidget(Directional position, QWidget* parent)
    : QWidget(parent), slotPosition(position) {
    setAttribute(Qt::WA_TranslucentBackground);
    setObjectName(QStringLiteral("slot%1").arg(rawValue(position)));
}

void ReticleSlotWidget::setIcon(const QIcon& icon) {
    slotIcon = icon;
    update();
}

void ReticleSlotWidget::setHighlightVisible(bool visible) {
    if (highlightVisible == visible)
        return;
    highlightVisible = visible;
    update();
}

void ReticleSlotWidget::setHighlightColor(const QColor& color) {
    if (highlight == color)
        return;
    highlight = color;
    if (highlightVisible)
        update();
}

void ReticleSlotWidget::setLaunchedVisible(bool visible) {
    if (launchedVisible == visible)
        return;
    launchedVisible = visible;
    update();
}

void ReticleSlotWidget::setLaunchedColor(const QColor& color) {
    if (launchedColor == color)
        return;
    launchedColor = color;
    if (launchedVisible)
        update();
}

void ReticleSlotWidget::setEmptyBackdrop(bool shown) {
    if (emptyBackdrop == shown)
        return;
    emptyBackdrop = shown;
    update();
}

void ReticleSlotWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (emptyBackdrop && !highlightVisible) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(slotDecorations::emptySlotColor());
        painter.drawRoundedRect(QRectF(rect()), slotDecorations::highlightRadius,
                                slotDecorations::highlightRadius);
    }
    if (highlightVisible) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(highlight);
        painter.drawRoundedRect(QRectF(rect()), slotDecorations::highlightRadius,
                                slotDecorations::highlightRadius);
    }
    if (!slotIcon.isNull()) {
        const QRect target((width() - iconSize) / 2, (height() - iconSize) / 2, iconSize, iconSize);
        slotIcon.paint(&painter, target, Qt::AlignCenter);
    }
    if (launchedVisible) {
        // A 10-pixel line one pixel above the bottom edge.
        painter.setPen(QPen(launchedColor, 1.0));
        const double midX = width() / 2.0;
        const double y = height() - 1.5;
        painter.drawLine(QPointF(midX - 5, y), QPointF(midX + 5, y));
    }
}

void ReticleSlotWidget::mousePressEvent(QMouseEvent* event) {
    pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ReticleSlotWidget::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed = false;
    event->accept();
    if (click && onClick)
        onClick();
}

} // namespace zentrivo
