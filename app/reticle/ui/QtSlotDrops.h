#pragma once

#include "app/reticle/SlotDrops.h"

#include <QIcon>
#include <QObject>
#include <functional>

class QMimeData;

namespace zentrivo {

class ReticleSlotWidget;
class ReticleViewDelegate;

/// Drops on the reticle's slot widgets through Qt's drag and drop (XDND on X11): reads the dragged
/// URLs, answers with the operation `SlotDrops` chooses, tints the slot's icon while a drag is
/// over it and performs the drop. Watches the slot widgets as an event filter, so the widgets
/// themselves only need to accept drops.
class QtSlotDrops final : public QObject {
public:
    /// What the drops need from the view around them, read at each use.
    struct Hooks {
        /// The far panel is showing.
        std::function<bool()> far;
        /// The reticle manager; null before the first show.
        std::function<ReticleViewDelegate*()> delegate;
        /// Icons and image flags of every slot again, for a slot a drop replaced.
        std::function<void()> reloadSlotImages;
    };

    QtSlotDrops(SlotDrops::Collaborators collaborators, Hooks hooks, QObject* parent = nullptr);

    /// Makes `slot` a drop target.
    void attach(ReticleSlotWidget& slot);

    /// Whether a drag is over `slot` now (its icon is tinted when it has one).
    bool isReceivingDrag(const ReticleSlotWidget& slot) const { return receiving == &slot; }

    /// The dragged URLs sorted into local files and links.
    static DraggedItems itemsOf(const QMimeData& data);
    /// The Qt action that tells the drag's source what a drop would do; `Qt::IgnoreAction` when
    /// the drop is to be refused. `possible` are the actions the source allows.
    static Qt::DropAction dropAction(DragOperation operation, Qt::DropActions possible);
    /// `icon` at `size` with black at half opacity painted over its opaque parts only.
    static QIcon tinted(const QIcon& icon, int size, qreal devicePixelRatio);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setReceivingDrag(ReticleSlotWidget& slot, bool receiving);

    SlotDrops drops;
    Hooks hooks;
    /// The slot a drag is over, its own icon and the cache key of the tinted copy it shows.
    ReticleSlotWidget* receiving = nullptr;
    QIcon untintedImage;
    qint64 tintedKey = 0;
    /// The answer given when the drag entered the current slot, repeated on every move.
    Qt::DropAction answer = Qt::IgnoreAction;
    /// What the drag carried when it entered the current slot.
    DraggedItems entered;
};

} // namespace zentrivo
