#pragma once

#include "app/core/NotificationCenter.h"
#include "app/model/Action.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zentrivo {

class ArrowKeys;
class BookmarkManager;
class Defaults;
class InstalledApps;
class MessageCheckboxPopover;
class MessagePopover;
class PlatformProfile;
class ReticleSpecModel;
class SlotConfigButton;
class SlotIcons;
class WakeDefaults;
class Workspace;

/// The preferences window: the near and far slots on two tabs, the trigger modifiers, the
/// trackpad gesture, four distances and seven switches. Every control writes its setting the
/// moment it changes (there is no Apply), and tells the rest of the program what it changed.
/// Controls are loaded from the settings once, when the window is built; slots changed by a drop
/// on the reticle follow.
class PreferencesWindow final : public QWidget {
    Q_OBJECT
public:
    struct Collaborators {
        Defaults& defaults;
        WakeDefaults& wakeDefaults;
        ReticleSpecModel& model;
        NotificationCenter& notificationCenter;
        InstalledApps& installedApps;
        ArrowKeys& arrowKeys;
        const Workspace& workspace;
        SlotIcons& icons;
        BookmarkManager& bookmarks;
        const PlatformProfile& profile;
        /// Opens the application list window.
        std::function<void()> showAppListWindow;
        /// Registers or removes the relaunch after wake as the settings now say.
        std::function<void()> updateWakeObserver;
        /// Registers or removes the program's login item; called before `launchOnLogin` is stored.
        std::function<void(bool enabled)> applyLaunchOnLogin;
        /// Shows or hides the tray icon as `hideMenuBarIcon` now says.
        std::function<void()> applyStatusItemVisibility;
    };

    explicit PreferencesWindow(const Collaborators& collaborators, QWidget* parent = nullptr);
    ~PreferencesWindow() override;

    /// The near buttons (`appButtons`) and far buttons (`farButtons`) in the order tl, t, tr, l,
    /// r, bl, b, br.
    const std::vector<SlotConfigButton*>& appButtons() const { return nearButtons; }
    const std::vector<SlotConfigButton*>& farButtons() const { return farButtonList; }

    /// Selects the near (0) or far (1) tab and shows the controls that belong to it.
    void changeTabs(int index);

    // The popovers, made on first use; null before.
    MessagePopover* messagePopover() const { return textPopover.get(); }
    MessageCheckboxPopover* trackpadInfoPopover() const { return wakePopover.get(); }

    /// The texts of the info buttons.
    static const QString appListInfo;
    static const QString launchActiveAppsInfo;
    static const QString arrowKeysInfo;
    static const QString trackpadInfo;
    static const QString relaunchOnWakeTitle;

protected:
    bool event(QEvent* event) override;

private:
    QWidget* buildSlotTab(bool far);
    QWidget* buildDistances();
    QWidget* buildTriggers();
    QWidget* buildSwitches();
    QSlider* addSlider(QWidget* parent, const QString& objectName, const QString& title,
                       int minimum, int maximum, std::function<QString(int)> valueText,
                       std::function<void(int)> changed);
    QCheckBox* addSwitch(QWidget* parent, const QString& objectName, const QString& title,
                         std::function<void(bool)> toggled);
    QToolButton* infoButton(QWidget* parent, const QString& objectName, const QString& what);

    void loadModifiers();
    void loadTrackpadRow();
    void refreshSlotButtons();
    void loadSliders();
    void loadSwitches();

    void modifierChanged(QCheckBox* box, std::int64_t bit);
    void applyArrowKeyRule();
    void selectGesture(int index);
    void showGestureInfo();
    void slotChosen(bool far, int tag, std::optional<std::string> stringValue, ActionType type);
    void appUpdatedInReticle(const Notification& notification);

    Collaborators c;
    std::vector<SlotConfigButton*> nearButtons;
    std::vector<SlotConfigButton*> farButtonList;
    QTabWidget* nearFarTabView = nullptr;
    QWidget* nearStackView = nullptr;
    QWidget* farStackView = nullptr;
    std::vector<std::pair<QCheckBox*, std::int64_t>> modifierBoxes;
    QWidget* trackpadGestureStackView = nullptr;
    QComboBox* trackpadGestureSelect = nullptr;
    QToolButton* trackpadInfoButton = nullptr;
    QSlider* safeAreaSlider = nullptr;
    QSlider* minDistSlider = nullptr;
    QSlider* farSlider = nullptr;
    QSlider* outerSafeAreaSlider = nullptr;
    /// Each slider's value label, refreshed after the quiet load.
    std::vector<std::function<void()>> sliderLabels;
    QWidget* controlsStackView = nullptr;
    QCheckBox* launchOnLoginCheckbox = nullptr;
    QCheckBox* hideMenuBarCheckbox = nullptr;
    QCheckBox* showBackgroundCheckbox = nullptr;
    QCheckBox* hoverCheckbox = nullptr;
    QCheckBox* arrowKeysCheckbox = nullptr;
    QCheckBox* launchActiveAppsCheckbox = nullptr;
    QCheckBox* hideFrontmostCheckbox = nullptr;
    std::unique_ptr<MessagePopover> textPopover;
    std::unique_ptr<MessageCheckboxPopover> wakePopover;
    NotificationCenter::Token appUpdatedToken = 0;
};

} // namespace zentrivo
