#pragma once

#include "app/reticle/ReticleWindow.h"
#include "platform/linux/PrimaryScreen.h"

#include <QPointer>
#include <functional>
#include <memory>

class QVariantAnimation;
class QWidget;

namespace zentrivo {

class ArrowKeys;
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

    struct Collaborators {
        Defaults& defaults;
        MainQueue& mainQueue;
        ArrowKeys& arrowKeys;
        QtReticleView& view;
        ScreenSource primaryScreen;
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
    void close() override;
    void setCloseCompletion(std::function<void()> completion) override;
    Rect frame() const override;
    void setFrameOrigin(Point origin) override;
    Point mouseLocationInWindow() const override;

    QWidget& widget() const noexcept { return *window; }
    bool isFading() const noexcept { return closeWorkItem != nullptr; }

    /// The primary screen as Qt sees it (the default screen source).
    static platform::PrimaryScreen qtPrimaryScreen();

private:
    void closeNow();

    Collaborators c;
    std::unique_ptr<QWidget> window;
    QPointer<QVariantAnimation> fade;
    std::shared_ptr<WorkItem> closeWorkItem;
    std::shared_ptr<WorkItem> appearWorkItem;
    std::function<void()> closeCompletion;
};

} // namespace zentrivo
