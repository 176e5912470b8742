#pragma once

#include "app/core/NotificationCenter.h"
#include "app/model/Action.h"
#include "app/reticle/Appearance.h"
#include "app/reticle/ReticleView.h"
#include "app/reticle/SlotDrops.h"
#include "app/reticle/SlotContainers.h"

#include <QWidget>
#include <array>
#include <memory>
#include <vector>

namespace zentrivo {

class ArrowKeys;
class Defaults;
class FrontmostAppDetection;
class MainQueue;
class QtSlotDrops;
class ReticleSlotWidget;
class ReticleSpecModel;
class SlotIcons;
class WorkItem;
class Workspace;

/// The reticle's content in Qt: nine slot widgets in a three-by-three grid, each with its icon
/// for the panel that is showing, the highlight behind the selected slot, the running marks and
/// an optional backing behind the whole panel. The reticle manager drives it through
/// `ReticleView`; the window calls `viewWillAppear`/`viewDidAppear` around each show.
class QtReticleView final : public QWidget, public ReticleView {
    Q_OBJECT
public:
    struct Collaborators {
        Defaults& defaults;
        ReticleSpecModel& model;
        NotificationCenter& notificationCenter;
        MainQueue& mainQueue;
        Workspace& workspace;
        const FrontmostAppDetection& frontmostAppDetection;
        ArrowKeys& arrowKeys;
        SlotIcons& icons;
        /// Where files dropped on a folder's slot go (moved, with prompts for taken names).
        SlotDrops::MoveIntoFolder moveIntoFolder = {};
        /// The desktop's colour-scheme preference; without one the palette decides.
        Appearance* appearance = nullptr;
    };

    /// Slot edge, gap between slots and the panel's inset, in pixels.
    static constexpr int slotSize = 80;
    static constexpr int slotSpacing = 4;
    static constexpr int panelInset = 4;
    static constexpr int panelSize = 3 * slotSize + 2 * slotSpacing + 2 * panelInset;

    explicit QtReticleView(const Collaborators& collaborators, QWidget* parent = nullptr);
    ~QtReticleView() override;

    // ReticleView
    void setDelegate(ReticleViewDelegate* delegate) override;
    void highlight(std::optional<Directional> position) override;
    void clearHighlight() override;
    void hideHighlight(Directional position) override;
    void pulseHighlight() override;
    void reloadSlots(bool far) override;
    void showCentreApp(const std::optional<RunningApp>& app) override;
    void clearCentreImage() override;
    void arrowNavigate(Directional arrow) override;
    std::optional<Directional> slotWithImageAt(Point windowPoint) const override;

    /// Before each show: refreshes the last-application icons and the running marks, and lets
    /// the arrow keys move the selection while the panel is open.
    void viewWillAppear();
    /// Once the window is on screen with `frame` (screen coordinates).
    void viewDidAppear(Rect frame);
    /// As the window closes: the slot images are rebuilt for the current appearance, soon after.
    void viewWillDisappear();
    /// Whether the panel draws for a dark appearance.
    bool isDark() const;

    /// Icons and image flags of every slot for the panel that is showing.
    void reloadSlotImages();
    /// The running marks: shown for slots whose application runs, only with the backing on.
    void updateLaunchedViews();
    /// Shows or hides the backing behind the panel as the setting "background" says.
    void applyBackground();

    const ReticleSlotWidget& slot(Directional position) const;
    /// Drops on the slots, and whether a drag is over one.
    const QtSlotDrops& drops() const noexcept { return *slotDrops; }
    bool isBackingVisible() const noexcept { return backingVisible; }
    bool isShowingFar() const noexcept { return showingFar; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    ReticleSlotWidget& slotWidget(Directional position) const;
    std::optional<Action> slotAction(Directional position) const;
    QIcon lastAppIcon() const;
    void applyHighlightColor();
    void applySlotStyling();

    Collaborators c;
    std::array<ReticleSlotWidget*, 9> slotWidgets{};
    SlotContainers containers;
    ReticleViewDelegate* delegate = nullptr;
    bool showingFar = false;
    bool backingVisible = false;
    bool flashing = false;
    std::vector<Directional> lastAppSlots;
    std::shared_ptr<WorkItem> flashWorkItem;
    /// The image rebuild after a close; cancelled when the view goes first.
    std::shared_ptr<WorkItem> rebuildWorkItem;
    std::vector<NotificationCenter::Token> observerTokens;
    Appearance::Token appearanceToken = 0;
    QtSlotDrops* slotDrops = nullptr;
};

} // namespace zentrivo
