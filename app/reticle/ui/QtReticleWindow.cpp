#include "QtReticleWindow.h"

#include "QtReticleView.h"
#include "app/core/MainQueue.h"
#include "app/input/ArrowKeys.h"
#include "app/settings/Defaults.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QVariantAnimation>
#include <QWidget>

namespace zentrivo {

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
}

QtReticleWindow::~QtReticleWindow() {
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

Rect QtReticleWindow::frame() const {
    const auto screen = c.primaryScreen();
    const QRect g = window->geometry();
    const Point bottomLeft = screen.toYUp({double(g.x()), double(g.y() + g.height())});
    return Rect{bottomLeft, {double(g.width()), double(g.height())}};
}

void QtReticleWindow::setFrameOrigin(Point origin) {
    const auto screen = c.primaryScreen();
    // `origin` is the bottom-left corner; X11 places windows by their top-left corner.
    const auto topLeft = screen.toX11({origin.x, origin.y + window->height()});
    window->move(static_cast<int>(std::lround(topLeft.x)),
                 static_cast<int>(std::lround(topLeft.y)));
}

Point QtReticleWindow::mouseLocationInWindow() const {
    const QPoint local = QCursor::pos() - window->pos();
    return {double(local.x()), double(window->height() - local.y())};
}

} // namespace zentrivo
