#include "QtSlotDrops.h"

#include "ReticleSlotWidget.h"
#include "app/reticle/ReticleViewDelegate.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QUrl>

namespace zentrivo {

QtSlotDrops::QtSlotDrops(SlotDrops::Collaborators collaborators, Hooks hooks, QObject* parent)
    : QObject(parent), drops(std::move(collaborators)), hooks(std::move(hooks)) {}

void QtSlotDrops::attach(ReticleSlotWidget& slot) {
    slot.setAcceptDrops(true);
    slot.installEventFilter(this);
}

DraggedItems QtSlotDrops::itemsOf(const QMimeData& data) {
    DraggedItems items;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            // A file on another machine is no file here, and no link either.
            if (!url.host().isEmpty() && url.host() != QLatin1String("localhost"))
                continue;
            items.files.push_back(url.toLocalFile().toStdString());
        } else if (url.isValid() && !url.scheme().isEmpty()) {
            items.links.push_back(url.toString(QUrl::FullyEncoded).toStdString());
        }
    }
    return items;
}

Qt::DropAction QtSlotDrops::dropAction(DragOperation operation, Qt::DropActions possible) {
    // The four operations onto Qt's actions: copy is copy (the application is only recorded),
    // link is link (the items are opened where they are), move is move (they go into the
    // folder). Generic, a drop the slot takes without doing anything with it, is refused: the
    // source then shows that nothing will happen. A source that does not offer the action gets
    // copy instead, the one that never lets it remove anything; one offering neither is refused.
    Qt::DropAction wanted = Qt::IgnoreAction;
    switch (operation) {
    case DragOperation::copy:
        wanted = Qt::CopyAction;
        break;
    case DragOperation::link:
        wanted = Qt::LinkAction;
        break;
    case DragOperation::move:
        wanted = Qt::MoveAction;
        break;
    case DragOperation::generic:
    case DragOperation::none:
        return Qt::IgnoreAction;
    }
    if (possible.testFlag(wanted))
        return wanted;
    return possible.testFlag(Qt::CopyAction) ? Qt::CopyAction : Qt::IgnoreAction;
}

QIcon QtSlotDrops::tinted(const QIcon& icon, int size, qreal devicePixelRatio) {
    QPixmap pixmap = icon.pixmap(QSize(size, size), devicePixelRatio);
    if (pixmap.isNull())
        return icon;
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.fillRect(QRect(QPoint(0, 0), pixmap.deviceIndependentSize().toSize()),
                     QColor::fromRgbF(0, 0, 0, 0.5f));
    painter.end();
    return QIcon(pixmap);
}

void QtSlotDrops::setReceivingDrag(ReticleSlotWidget& slot, bool on) {
    ReticleViewDelegate* delegate = hooks.delegate ? hooks.delegate() : nullptr;
    if (on) {
        if (receiving == &slot)
            return;
        if (receiving)
            setReceivingDrag(*receiving, false);
        receiving = &slot;
        if (!slot.hasImage())
            return;
        if (delegate)
            delegate->setIsReceivingDrag(true);
        untintedImage = slot.icon();
        const QIcon tint =
            tinted(untintedImage, ReticleSlotWidget::iconSize, slot.devicePixelRatioF());
        tintedKey = tint.cacheKey();
        slot.setIcon(tint);
        return;
    }
    if (receiving != &slot)
        return;
    receiving = nullptr;
    if (untintedImage.isNull())
        return;
    if (delegate)
        delegate->setIsReceivingDrag(false);
    // A reload during the drag (another program changed the panel) put the new icon there
    // already; the old one must not come back over it.
    if (slot.icon().cacheKey() == tintedKey)
        slot.setIcon(untintedImage);
    untintedImage = {};
    tintedKey = 0;
}

bool QtSlotDrops::eventFilter(QObject* watched, QEvent* event) {
    auto* slot = qobject_cast<ReticleSlotWidget*>(watched);
    if (!slot)
        return false;
    const auto respond = [this](QDragMoveEvent* move) {
        if (answer == Qt::IgnoreAction) {
            move->setDropAction(Qt::IgnoreAction);
            move->ignore();
        } else {
            move->setDropAction(answer);
            move->accept();
        }
    };
    const bool far = hooks.far && hooks.far();
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        entered = itemsOf(*enter->mimeData());
        const auto answered =
            drops.draggingEntered(slot->position(), far, slot->hasImage(), entered);
        if (answered.receiving)
            setReceivingDrag(*slot, true);
        answer = dropAction(answered.operation, enter->possibleActions());
        // The enter itself is always taken: Qt sends the leave (which restores the icon) only to
        // a widget that took the enter. The answer to the source is the one of the move that Qt
        // sends right after, and of every later move.
        enter->setDropAction(answer == Qt::IgnoreAction ? enter->proposedAction() : answer);
        enter->accept();
        return true;
    }
    case QEvent::DragMove:
        respond(static_cast<QDragMoveEvent*>(event));
        return true;
    case QEvent::DragLeave:
        setReceivingDrag(*slot, false);
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        setReceivingDrag(*slot, false);
        // Over X the data is fetched from the dragging program again at the drop; a program that
        // has already quit (or stopped answering) hands out nothing then, and what the drag
        // carried when it entered stands in.
        DraggedItems items = itemsOf(*drop->mimeData());
        if (items.files.empty() && items.links.empty())
            items = entered;
        const auto outcome =
            drops.performDrop(slot->position(), far, slot->hasImage(), items, [this] {
                if (hooks.reloadSlotImages)
                    hooks.reloadSlotImages();
                if (ReticleViewDelegate* delegate = hooks.delegate ? hooks.delegate() : nullptr)
                    delegate->slotReplacedByDrop();
            });
        if (outcome == SlotDrops::Outcome::refused) {
            drop->setDropAction(Qt::IgnoreAction);
            drop->ignore();
            return true;
        }
        // Files moved into a folder are reported as copied: a source told "moved" may delete
        // its originals, and those a declined name clash left in place must stay.
        Qt::DropAction done = answer == Qt::IgnoreAction ? drop->proposedAction() : answer;
        if (done == Qt::MoveAction && drop->possibleActions().testFlag(Qt::CopyAction))
            done = Qt::CopyAction;
        drop->setDropAction(done);
        drop->accept();
        return true;
    }
    default:
        return false;
    }
}

} // namespace zentrivo
