#pragma once

#include "app/reticle/ReticleWindow.h"
#include "app/reticle/WindowShape.h"
#include "platform/linux/PrimaryScreen.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPoint;
class QVariantAnimation;
class QWidget;

namespace zentrivo {

class ArrowKeys;
class CompositorWatch;
class Defaults;
class MainQueue;
class QtReticleView;
class WorkItem;

/// The reticle's window in Qt: a frameless, translucent, always-on-top tool window that never
/// takes focus and that the window manager leaves alone, just large enough for the view. It
/// fades out over 0.35 s when it closes (unless "reticleFade" is switched off) and really
/// closes after 0.29 s; showing it again in between cancels that close.
class QtReticleWindow final : public ReticleWindow {
public:
    /// The primary screen in X11 root coordinates, read at each conversion (screens change).
    using ScreenSource = std::function<platform::PrimaryScreen()>;

    /// One monitor in X11 root coordinates (pixels) with its device pixel ratio.
    struct Monitor {
        int left = 0, top = 0, width = 0, height = 0;
        double devicePixelRatio = 1.0;
    };
    /// The monitors now, read at each placement (monitors come and go).
    using MonitorSource = std::function<std::vector<Monitor>()>;

    struct Collaborators {
        Defaults& defaults;
        MainQueue& mainQueue;
        ArrowKeys& arrowKeys;
        QtReticleView& view;
        ScreenSource primaryScreen;
        /// Empty: the primary screen is the one monitor.
        MonitorSource monitors = {};
        /// Without a watch a compositing manager is taken to run: the window stays whole.
        CompositorWatch* compositor = nullptr;
        /// Cuts the window to its slots while no compositing manager runs.
        WindowShape* shape = nullptr;
    };

    /// The window's title and the name tests and tools find it by.
    static constexpr const char* title = "Zentrivo Reticle";
    static constexpr int fadeMillis = 350;
    static constexpr int closeDelayMillis = 290;

    explicit QtReticleWindow(Collaborators collaborators);
    ~QtReticleWindow() override;

    /// Shows and hides the window once, off screen, so the first real show does not pay for
    /// creating the native window and its backing store.
    void warmUp();

    // ReticleWindow
    void showWindow() override;
    /// Moves the window as asked, then into the monitor that holds its centre (see
    /// `placePanel`); `frame()` reports where it went.
    void close() override;
    void setCloseCompletion(std::function<void()> completion) override;
    Rect frame() const override;
    void setFrameOrigin(Point origin) override;
    Point mouseLocationInWindow() const override;

    QWidget& widget() const noexcept { return *window; }
    bool isFading() const noexcept { return closeWorkItem != nullptr; }

    /// The primary screen as Qt sees it (the default screen source).
    static platform::PrimaryScreen qtPrimaryScreen();
    /// The monitors as Qt sees them (its screens: RandR monitors on X11), in X11 pixels.
    static std::vector<Monitor> qtMonitors();

    /// Whether the window is drawn for a desktop without a compositing manager: cut to its
    /// slots, empty ring slots as faint outlines.
    bool isShaped() const noexcept { return !compositing; }
    /// The window's shape without a compositing manager, in window pixels: what is drawn and
    /// what takes input, both every slot but an empty centre (empty ring slots stay drop targets
    /// and show their outline), or the whole window with the backing on.
    std::pair<std::vector<ShapeRect>, std::vector<ShapeRect>> shapeRects() const;
    /// The width of an empty ring slot's outline, in pixels.
    static constexpr int outlineWidth = 2;

private:
    class Outlines;
    void closeNow();
    std::vector<Monitor> monitors() const;
    std::optional<Monitor> monitorAt(QPoint logical) const;
    void setCompositing(bool compositing);
    /// Sends the shape to the window system when it differs from the one it has.
    void refreshShape();

    Collaborators c;
    std::unique_ptr<QWidget> window;
    QPointer<QVariantAnimation> fade;
    std::shared_ptr<WorkItem> closeWorkItem;
    std::shared_ptr<WorkItem> appearWorkItem;
    std::function<void()> closeCompletion;
    bool compositing = true;
    Outlines* outlines = nullptr;
    std::optional<std::pair<std::vector<ShapeRect>, std::vector<ShapeRect>>> appliedShape;
};

} // namespace zentrivo
