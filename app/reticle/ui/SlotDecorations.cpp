#include "SlotDecorations.h"

namespace zentrivo::slotDecorations {

QColor highlightColor(bool dark, bool background) {
    if (dark)
        return background ? QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.25f)
                          : QColor::fromRgbF(0.8f, 0.8f, 0.8f, 0.8f);
    return background ? QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.2f)
                      : QColor::fromRgbF(0.7f, 0.7f, 0.7f, 0.9f);
}

QColor flashColor(bool dark) {
    QColor blue = dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
    blue.setAlphaF(0.8f);
    return blue;
}

QColor launchedMarkColor(bool dark) {
    return dark ? QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.7f)
                : QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.7f);
}

QColor backingColor(bool dark) {
    QColor backing = dark ? QColor(40, 40, 40) : QColor(236, 236, 236);
    backing.setAlphaF(0.85f);
    return backing;
}

QColor emptySlotColor() {
    return QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.002f);
}

} // namespace zentrivo::slotDecorations
