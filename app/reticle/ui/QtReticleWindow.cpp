#include "QtReticleWindow.h"

#include "QtReticleView.h"
#include "ReticleSlotWidget.h"
#include "app/core/MainQueue.h"
#include "app/input/ArrowKeys.h"
#include "app/reticle/CompositorWatch.h"
#include "app/reticle/PanelPlacement.h"
#include "app/settings/Defaults.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVariantAnimation>
#include <QWidget>

namespace zentrivo {

/// Drawn over the view without a compositing manager: the faint outline of every empty ring
/// slot, which the window's shape keeps (an invisible slot could not stay a drop target). It
/// takes no input itself, so drags and clicks reach the slots below. Any repaint of a slot
/// repaints it too, and that is when the window's shape is brought up to date.
class QtReticleWindow::Outlines final : public QWidget {
public:
    Outlines(QtReticleWindow& owner, QWidget* parent) : QWidget(parent), owner(owner) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_TranslucentBackground);
    }

    /// The outline colour: opaque, because without a compositor alpha would only darken it.
    static QColor color() { return QColor(150, 150, 150); }

protected:
    void paintEvent(QPaintEvent*) override {
        owner.refreshShape();
        if (!owner.isShaped() || owner.c.view.isBackingVisible())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(color(), outlineWidth));
        painter.setBrush(Qt::NoBrush);
        for (Directional d : ringDirections) {
            const auto& slot = owner.c.view.slot(d);
            if (slot.hasImage())
                continue;
            const QRectF r = QRectF(slot.geometry().translated(owner.c.view.pos()));
            // The pen fills the band the window's shape keeps along each edge.
            const double half = outlineWidth / 2.0;
            painter.drawRoundedRect(r.adjusted(half, half, -half, -half), 5.0, 5.0);
        }
    }

private:
    QtReticleWindow& owner;
};

QtReticleWindow::QtReticleWindow(Collaborators collaborators)
    : c(std::move(collaborators)), window(std::make_unique<QWidget>()) {
    if (!c.primaryScreen)
        c.primaryScreen = qtPrimaryScreen;
    window->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                           Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint);
    window->setAttribute(Qt::WA_TranslucentBackground);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setWindowTitle(QString::fromLatin1(title));
    window->setObjectName(QStringLiteral("ZentrivoReticle"));
    c.view.setParent(window.get());
    c.view.move(0, 0);
    window->setFixedSize(c.view.size());
    outlines = new Outlines(*this, window.get());
    outlines->setGeometry(QRect(QPoint(0, 0), c.view.size()));
    outlines->raise();
    if (c.compositor) {
        compositing = c.compositor->isCompositing();
        c.compositor->setChangeHandler([this](bool now) { setCompositing(now); });
    }
}

QtReticleWindow::~QtReticleWindow() {
    if (c.compositor)
        c.compositor->setChangeHandler({});
    if (closeWorkItem)
        closeWorkItem->cancel();
    if (appearWorkItem)
        appearWorkItem->cancel();
    if (fade)
        fade->stop();
    // The view belongs to the composition root, not to this window.
    c.view.setParent(nullptr);
}

platform::PrimaryScreen QtReticleWindow::qtPrimaryScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect g = screen->geometry();
    return {g.x(), g.y(), g.width(), g.height()};
}

std::vector<QtReticleWindow::Monitor> QtReticleWindow::qtMonitors() {
    std::vector<Monitor> result;
    for (const QScreen* screen : QGuiApplication::screens()) {
        // Qt keeps a screen's top-left corner in device pixels and scales only its size.
        const QRect g = screen->geometry();
        const double ratio = screen->devicePixelRatio();
        result.push_back({g.x(), g.y(), int(std::lround(g.width() * ratio)),
                          int(std::lround(g.height() * ratio)), ratio});
    }
    return result;
}

std::vector<QtReticleWindow::Monitor> QtReticleWindow::monitors() const {
    if (c.monitors)
        if (auto list = c.monitors(); !list.empty())
            return list;
    const auto screen = c.primaryScreen();
    return {{screen.left, screen.top, screen.width, screen.height, 1.0}};
}

void QtReticleWindow::setCompositing(bool now) {
    if (compositing == now)
        return;
    compositing = now;
    refreshShape();
    outlines->update();
}

std::pair<std::vector<ShapeRect>, std::vector<ShapeRect>> QtReticleWindow::shapeRects() const {
    const double ratio = window->devicePixelRatioF();
    const auto pixels = [ratio](const QRect& r) {
        return ShapeRect{int(std::lround(r.x() * ratio)), int(std::lround(r.y() * ratio)),
                         int(std::lround(r.width() * ratio)), int(std::lround(r.height() * ratio))};
    };
    std::vector<ShapeRect> drawn, input;
    if (c.view.isBackingVisible()) {
        drawn.push_back(pixels(window->rect()));
        return {drawn, drawn};
    }
    for (Directional d : allDirections) {
        const auto& slot = c.view.slot(d);
        const ShapeRect r = pixels(slot.geometry().translated(c.view.pos()));
        if (slot.hasImage()) {
            drawn.push_back(r);
            input.push_back(r);
        } else if (d != Directional::c) {
            // Whole, though only its outline is painted: the X server lets a window take the
            // pointer and drops only inside what it draws, and an empty ring slot must stay a
            // drop target.
            drawn.push_back(r);
            input.push_back(r);
        }
    }
    return {drawn, input};
}

void QtReticleWindow::refreshShape() {
    if (!c.shape)
        return;
    if (compositing) {
        if (appliedShape) {
            c.shape->clearShape(window->winId());
            appliedShape.reset();
        }
        return;
    }
    auto rects = shapeRects();
    if (appliedShape == rects)
        return;
    c.shape->setShape(window->winId(), rects.first, rects.second);
    appliedShape = std::move(rects);
}

void QtReticleWindow::warmUp() {
    // The whole show path once, off screen: native window, backing store, first paint of every
    // icon and the view's appear hooks. The manager is not attached yet, so nobody hears of it.
    const QPoint home = window->pos();
    window->move(-4 * window->width(), -4 * window->height());
    showWindow();
    window->repaint();
    if (appearWorkItem) {
        appearWorkItem->cancel();
        appearWorkItem.reset();
    }
    if (c.defaults.arrowKeysDisplays.value() != OptionalBool::userEnabled)
        c.arrowKeys.unregisterAll();
    window->hide();
    window->move(home);
}

void QtReticleWindow::showWindow() {
    // A close still fading out is cancelled whatever "reticleFade" says now: it may have been
    // switched off during the fade, and the pending close must not hide the window just shown.
    if (closeWorkItem) {
        closeWorkItem->cancel();
        closeWorkItem.reset();
    }
    if (fade)
        fade->stop();
    window->setWindowOpacity(1.0);
    c.view.viewWillAppear();
    // Cut before it maps, so it never shows whole. Not at construction: its native window made
    // that early kept the preferences window's popup menus from getting the keyboard.
    refreshShape();
    window->show();
    window->raise();
    // The manager hands the view its delegate right after this call returns; report the real
    // frame once that has happened.
    if (appearWorkItem)
        appearWorkItem->cancel();
    appearWorkItem = c.mainQueue.postAfter(std::chrono::milliseconds(0), [this] {
        appearWorkItem.reset();
        if (window->isVisible())
            c.view.viewDidAppear(frame());
    });
}

void QtReticleWindow::close() {
    if (!window->isVisible() || closeWorkItem)
        return;
    c.view.viewWillDisappear();
    if (c.defaults.arrowKeysDisplays.value() != OptionalBool::userEnabled)
        c.arrowKeys.unregisterAll();
    if (c.defaults.reticleFade.value() == OptionalBool::userDisabled) {
        closeNow();
        return;
    }
    if (!fade) {
        fade = new QVariantAnimation(window.get());
        fade->setDuration(fadeMillis);
        fade->setStartValue(1.0);
        fade->setEndValue(0.0);
        QObject::connect(fade, &QVariantAnimation::valueChanged, window.get(),
                         [this](const QVariant& value) {
                             window->setWindowOpacity(value.toDouble());
                             // Qt only sends the new opacity to the server on a repaint.
                             window->update();
                         });
    }
    fade->start();
    closeWorkItem = c.mainQueue.postAfter(std::chrono::milliseconds(closeDelayMillis), [this] {
        closeWorkItem.reset();
        closeNow();
    });
}

void QtReticleWindow::closeNow() {
    if (fade)
        fade->stop();
    window->hide();
    window->setWindowOpacity(1.0);
    if (closeCompletion)
        closeCompletion();
}

void QtReticleWindow::setCloseCompletion(std::function<void()> completion) {
    closeCompletion = std::move(completion);
}

std::optional<QtReticleWindow::Monitor> QtReticleWindow::monitorAt(QPoint logical) const {
    // A monitor covers its device pixels from its corner on, and its logical size from there.
    for (const Monitor& m : monitors()) {
        const QRect area(m.left, m.top, int(std::lround(m.width / m.devicePixelRatio)),
                         int(std::lround(m.height / m.devicePixelRatio)));
        if (area.contains(logical))
            return m;
    }
    return std::nullopt;
}

Rect QtReticleWindow::frame() const {
    const auto screen = c.primaryScreen();
    const QRect g = window->geometry();
    const Monitor m = monitorAt(g.topLeft()).value_or(Monitor{});
    const double ratio = m.devicePixelRatio;
    const double left = m.left + (g.x() - m.left) * ratio;
    const double top = m.top + (g.y() - m.top) * ratio;
    const Size size{g.width() * ratio, g.height() * ratio};
    const Point bottomLeft = screen.toYUp({left, top + size.height});
    return Rect{bottomLeft, size};
}

void QtReticleWindow::setFrameOrigin(Point origin) {
    const auto screen = c.primaryScreen();
    const auto list = monitors();
    std::vector<Rect> areas;
    for (const Monitor& m : list)
        areas.push_back({screen.toYUp({double(m.left), double(m.top + m.height)}),
                         {double(m.width), double(m.height)}});
    const Size size = frame().size;
    const Point centre{origin.x + size.width / 2, origin.y + size.height / 2};
    Rect placed = placePanel(areas, centre, size);
    // `placed` is in device pixels; Qt places windows in its own units, which on a monitor with a
    // device pixel ratio are counted from the monitor's corner.
    auto topLeft = screen.toX11({placed.origin.x, placed.maxY()});
    double ratio = 1.0, left = 0, top = 0;
    for (const Monitor& m : list)
        if (topLeft.x >= m.left && topLeft.x < m.left + m.width && topLeft.y >= m.top &&
            topLeft.y < m.top + m.height) {
            ratio = m.devicePixelRatio, left = m.left, top = m.top;
            break;
        }
    if (ratio != 1.0) {
        // The panel has the size of its units on the monitor it lands on.
        const Size there{window->width() * ratio, window->height() * ratio};
        placed = placePanel(areas, centre, there);
        topLeft = screen.toX11({placed.origin.x, placed.maxY()});
    }
    window->move(static_cast<int>(std::lround(left + (topLeft.x - left) / ratio)),
                 static_cast<int>(std::lround(top + (topLeft.y - top) / ratio)));
}

Point QtReticleWindow::mouseLocationInWindow() const {
    const QPoint local = QCursor::pos() - window->pos();
    return {double(local.x()), double(window->height() - local.y())};
}

} // namespace zentrivo
