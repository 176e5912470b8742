#include "TagDots.h"

#include <QPainter>
#include <QPainterPath>

namespace zentrivo::tagDots {

QColor ringColor(bool dark) {
    QColor window = dark ? QColor(50, 50, 50) : QColor(236, 236, 236);
    window.setAlphaF(0.7f);
    return window;
}

void draw(QPainter& painter, const std::vector<LabelColor>& colors, bool dark) {
    constexpr double side = 70.0, diameter = 10.0, bottom = 6.0;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const std::size_t count = std::min(colors.size(), maxTagDots);
    for (std::size_t i = count; i-- > 0;) {
        // Dot i's box, its bottom edge 6 above the icon's.
        const QRectF box(8.0 * double(i) + 2.5, side - bottom - diameter, diameter, diameter);
        if (i + 1 < count) {
            // The shadow cast one to the right, softened by a second, wider pass.
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0, 0, 0, 40));
            painter.drawEllipse(box.translated(1.0, 0.0).adjusted(-1.0, -0.5, 0.5, 0.5));
            painter.setBrush(QColor(0, 0, 0, 60));
            painter.drawEllipse(box.translated(1.0, 0.0));
        }
        const LabelColor c = colors[i];
        painter.setPen(QPen(ringColor(dark), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(box);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(c.red, c.green, c.blue));
        painter.drawEllipse(box);
    }
    painter.restore();
}

} // namespace zentrivo::tagDots
