#pragma once

#include "app/model/Directional.h"

#include <QColor>
#include <QIcon>
#include <QWidget>
#include <functional>

namespace zentrivo {

/// One slot of the reticle: its icon, the rounded highlight behind it when it is selected, and
/// the short running mark under it.
class ReticleSlotWidget final : public QWidget {
    Q_OBJECT
public:
    ReticleSlotWidget(Directional position, QWidget* parent);

    Directional position() const noexcept { return slotPosition; }

    void setIcon(const QIcon& icon);
    const QIcon& icon() const noexcept { return slotIcon; }
    bool hasImage() const noexcept { return !slotIcon.isNull(); }

    void setHighlightVisible(bool visible);
    bool isHighlightVisible() const noexcept { return highlightVisible; }
    void setHighlightColor(const QColor& color);
    const QColor& highlightColor() const noexcept { return highlight; }

    void setLaunchedVisible(bool visible);
    bool isLaunchedVisible() const noexcept { return launchedVisible; }
    void setLaunchedColor(const QColor& color);

    /// An empty slot without the panel's backing is painted all but invisibly, so it still
    /// takes drops and the hover.
    void setEmptyBackdrop(bool shown);
    bool hasEmptyBackdrop() const noexcept { return emptyBackdrop; }

    /// Called on a click (press and release inside the slot).
    void setClickHandler(std::function<void()> handler) { onClick = std::move(handler); }

    /// The icon's edge length inside the slot, in pixels.
    static constexpr int iconSize = 70;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Directional slotPosition;
    QIcon slotIcon;
    QColor highlight;
    bool highlightVisible = false;
    bool launchedVisible = false;
    QColor launchedColor = Qt::black;
    bool emptyBackdrop = false;
    bool pressed = false;
    std::function<void()> onClick;
};

} // namespace zentrivo
