#pragma once

#include "app/apps/Workspace.h"
#include "app/core/Geometry.h"
#include "app/core/MainQueue.h"
#include "app/core/NotificationCenter.h"
#include "app/model/Action.h"
#include "app/model/Directional.h"
#include "app/reticle/ReticleControl.h"
#include "app/reticle/ReticleViewDelegate.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zentrivo {

class ArrowKeys;
class CursorLocation;
class Defaults;
class FrontmostAppDetection;
class Haptics;
class Log;
class PlatformProfile;
class ReticleSpecModel;
class ReticleView;
class ReticleWindow;
class SystemInfo;

/// Owns one reticle from the moment a trigger summons it until it closes: turns cursor positions
/// into a distance and a direction from the origin, decides between the near and far panel, keeps
/// the selected slot, runs the hover selection and performs the chosen slot's action.
/// Main thread only.
class ReticleManager final : public ReticleControl, public ReticleViewDelegate {
public:
    /// Everything the manager works with; the composition root owns them all and keeps them
    /// alive for the manager's lifetime.
    struct Collaborators {
        Defaults& defaults;
        ReticleSpecModel& model;
        MainQueue& mainQueue;
        NotificationCenter& notificationCenter;
        Workspace& workspace;
        Haptics& haptics;
        const SystemInfo& systemInfo;
        ArrowKeys& arrowKeys;
        const CursorLocation& cursorLocation;
        FrontmostAppDetection& frontmostAppDetection;
        Log& log;
        const PlatformProfile& profile;
        ReticleWindow& window;
        ReticleView& view;
    };

    /// The sector bounds, in radians.
    static constexpr double posHighBound = 1.2566370614359172; // 72 degrees
    static constexpr double negHighBound = -1.2566370614359172;
    static constexpr double posLowBound = 0.5235987755982988; // 30 degrees
    static constexpr double negLowBound = -0.5235987755982988;

    /// The manager's state, in the order and with the meaning of its fields.
    struct State {
        /// Where the current gesture began; none between gestures.
        std::optional<Point> cursorOrigin;
        /// The selected slot, which a dismiss performs.
        std::optional<Directional> directional;
        /// Last distance of the cursor from the origin.
        float dist = 0;
        /// The far panel is showing.
        bool far = false;
        /// The slot whose visible area contains the cursor.
        std::optional<Directional> inButton;
        /// In-slot handling is suspended (just after an arrow key displayed the reticle).
        bool skipInButton = false;
        /// A drag is over one of the slots.
        bool isReceivingDrag = false;
        /// The pending hover selection.
        std::shared_ptr<WorkItem> hoverWorkItem;
        /// The reticle window is on screen.
        bool reticleDisplayed = false;
        /// The window origin chosen by the last centring.
        std::optional<Point> reticleWindowPosition;
        /// The bundle identifier a last-application slot opens, captured at display.
        std::optional<std::string> lastReadFrontAppId;
        /// The front application when the reticle appeared.
        std::optional<RunningApp> currentFrontApp;
        /// How far the cursor must travel before a deferred reticle is displayed.
        float minDist = 0;
    };

    explicit ReticleManager(const Collaborators& collaborators);
    ~ReticleManager() override;
    ReticleManager(const ReticleManager&) = delete;
    ReticleManager& operator=(const ReticleManager&) = delete;

    const State& state() const noexcept { return s; }

    // ReticleControl
    void show(std::optional<float> minDist) override;
    bool cursorMoved(Point to) override;
    void dismiss(bool performAction) override;

    /// An arrow hot key: displays the reticle at the cursor when it is not up yet, then moves the
    /// selection as the view's arrow navigation says.
    void arrowSelected(Directional directional);
    /// Records the cursor as the origin and centres the window on it.
    void centerAtCursor();
    /// The hover delay ran out while the cursor stayed on slot `directional`.
    void hoverFired(Directional directional);

    /// Runs one slot action: starts or raises an application, opens a file or folder, returns to
    /// the last application, or raises an application only if it runs.
    void perform(const Action& action);
    /// Hides, raises or starts the application, after the current event (and after the reticle
    /// has closed when called from a dismiss).
    void launchApp(const std::string& bundleId);
    /// Starts the installed application with that identifier (or brings it forward); nothing
    /// when none is installed. A start the system refuses is logged.
    void openApplication(const std::string& bundleId);

    // ReticleViewDelegate
    std::optional<Directional> directional() const override { return s.directional; }
    void setDirectional(std::optional<Directional> position) override { s.directional = position; }
    bool far() const override { return s.far; }
    void setFar(bool far) override;
    std::optional<Point> reticleWindowPosition() const override { return s.reticleWindowPosition; }
    void windowAppeared(Rect frame) override;
    void setIsReceivingDrag(bool receiving) override;
    void slotReplacedByDrop() override;

private:
    void setInButton(std::optional<Directional> position);
    void setReticleDisplayed(bool displayed);
    void displayReticle();
    void scheduleHover();
    void resetFar();
    void clearSelection();
    void updateFrontmostListening();
    void registerArrowKeys(bool toggle);
    bool isOfferedOnRing(const std::string& bundleId) const;

    Collaborators c;
    State s;
    std::shared_ptr<WorkItem> skipInButtonWorkItem;
    std::vector<NotificationCenter::Token> observerTokens;
    /// Expires with the manager, so work it posted never runs after it is gone.
    std::shared_ptr<int> lifetime = std::make_shared<int>(0);
};

} // namespace zentrivo
