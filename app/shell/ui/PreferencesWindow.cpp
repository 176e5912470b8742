#include "PreferencesWindow.h"

#include "MessagePopover.h"
#include "SlotConfigButton.h"
#include "app/apps/InstalledApps.h"
#include "app/core/Notifications.h"
#include "app/input/ArrowKeys.h"
#include "app/model/AppUpdate.h"
#include "app/model/ReticleSpecModel.h"
#include "app/settings/Defaults.h"
#include "app/shell/PreferencesRules.h"

#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QTabBar>
#include <QVBoxLayout>

namespace zentrivo {

using namespace preferences;

const QString PreferencesWindow::appListInfo = QStringLiteral(
    "Display a list of your applications that you can drag and drop into the Zentrivo positions "
    "for quick configuration.\n\nIf your desired app is not listed, you can drag and drop it in "
    "from your file manager.");
const QString PreferencesWindow::launchActiveAppsInfo = QString::fromUtf8(
    "Check this box to mimic dock launching behavior where already running apps will "
    "un-minimize or  open a new window if there are none open, depending on the "
    "application.\n\nUncheck this box to just bring the app frontmost like Alt+Tab.");
const QString PreferencesWindow::arrowKeysInfo = QStringLiteral(
    "As long as your configured modifier keys do not include fn, pressing your modifier keys + "
    "arrow keys can display Zentrivo.");
const QString PreferencesWindow::trackpadInfo = QStringLiteral(
    "In certain circumstances, Zentrivo is unable to receive trackpad input from the system "
    "after sleep and must be relaunched.");
const QString PreferencesWindow::relaunchOnWakeTitle = QStringLiteral("Relaunch Zentrivo on Wake");

namespace {

struct RingPlace {
    Directional position;
    int row;
    int column;
    const char* name;
    const char* title;
};

/// The ring as the reticle shows it, in the order tl, t, tr, l, r, bl, b, br.
constexpr std::array<RingPlace, 8> ring{{
    {Directional::tl, 0, 0, "topLeft", "Top left"},
    {Directional::t, 0, 1, "top", "Top"},
    {Directional::tr, 0, 2, "topRight", "Top right"},
    {Directional::l, 1, 0, "left", "Left"},
    {Directional::r, 1, 2, "right", "Right"},
    {Directional::bl, 2, 0, "bottomLeft", "Bottom left"},
    {Directional::b, 2, 1, "bottom", "Bottom"},
    {Directional::br, 2, 2, "bottomRight", "Bottom right"},
}};

QString pixels(int value) {
    return QObject::tr("%1 px").arg(value);
}

bool isOn(const QCheckBox* box) {
    // A mixed state counts as off.
    return box->checkState() == Qt::Checked;
}

} // namespace

PreferencesWindow::PreferencesWindow(const Collaborators& collaborators, QWidget* parent)
    : QWidget(parent, Qt::Window), c(collaborators) {
    setObjectName(QStringLiteral("PrefsWindowController"));
    setWindowTitle(tr("Zentrivo Preferences"));
    setAccessibleName(windowTitle());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(12);

    nearFarTabView = new QTabWidget(this);
    nearFarTabView->setObjectName(QStringLiteral("nearFarTabView"));
    nearFarTabView->tabBar()->setObjectName(QStringLiteral("nearFarSegment"));
    nearFarTabView->setAccessibleName(tr("Slots"));
    nearFarTabView->addTab(buildSlotTab(false), tr("&Near slots"));
    nearFarTabView->addTab(buildSlotTab(true), tr("&Far slots"));
    connect(nearFarTabView, &QTabWidget::currentChanged, this, &PreferencesWindow::changeTabs);

    auto* top = new QHBoxLayout;
    top->addWidget(nearFarTabView, 0, Qt::AlignTop);
    auto* side = new QVBoxLayout;
    side->addWidget(buildDistances());
    auto* appListRow = new QHBoxLayout;
    auto* appListButton = new QPushButton(tr("Show &Application List"), this);
    appListButton->setObjectName(QStringLiteral("showAppListButton"));
    appListButton->setAccessibleName(tr("Show Application List"));
    connect(appListButton, &QPushButton::clicked, this, [this] {
        if (c.showAppListWindow)
            c.showAppListWindow();
    });
    appListRow->addWidget(appListButton);
    QToolButton* appListInfoButton =
        infoButton(this, QStringLiteral("showAppListInfoButton"), tr("the application list"));
    connect(appListInfoButton, &QToolButton::clicked, this, [this, appListInfoButton] {
        if (!textPopover)
            textPopover = std::make_unique<MessagePopover>();
        textPopover->show(appListInfo, *appListInfoButton);
    });
    appListRow->addWidget(appListInfoButton);
    appListRow->addStretch();
    side->addLayout(appListRow);
    side->addStretch();
    top->addLayout(side, 1);
    layout->addLayout(top);

    auto* bottom = new QHBoxLayout;
    bottom->setSpacing(24);
    bottom->addWidget(buildTriggers(), 0, Qt::AlignTop);
    bottom->addWidget(buildSwitches(), 1, Qt::AlignTop);
    layout->addLayout(bottom);

    // Loaded from the settings once, in this order.
    loadModifiers();
    loadTrackpadRow();
    refreshSlotButtons();
    loadSliders();
    loadSwitches();
    farStackView->hide();
    if (auto* stack = qobject_cast<QBoxLayout*>(controlsStackView->layout()))
        stack->setSpacing(18);
    showBackgroundCheckbox->show();
    // Keyboard users start at the first slot; Tab walks the ring, then every other control.
    nearButtons.front()->setFocus(Qt::OtherFocusReason);
    appUpdatedToken = c.notificationCenter.addObserver(
        notifications::appUpdatedInReticle,
        [this](const Notification& notification) { appUpdatedInReticle(notification); });
}

PreferencesWindow::~PreferencesWindow() {
    c.notificationCenter.removeObserver(appUpdatedToken);
}

QWidget* PreferencesWindow::buildSlotTab(bool far) {
    auto* page = new QWidget;
    page->setObjectName(far ? QStringLiteral("farTab") : QStringLiteral("nearTab"));
    auto* grid = new QGridLayout(page);
    grid->setSpacing(8);
    grid->setContentsMargins(16, 16, 16, 16);
    auto& list = far ? farButtonList : nearButtons;
    const SlotConfigButton::Collaborators buttonCollaborators{c.installedApps, c.workspace, c.icons,
                                                              c.bookmarks, c.profile};
    for (const RingPlace& place : ring) {
        auto* button = new SlotConfigButton(buttonCollaborators, rawValue(place.position), page);
        button->setObjectName(QString::fromLatin1(place.name) +
                              (far ? QStringLiteral("FarButton") : QStringLiteral("Button")));
        button->setSlotName(far ? tr("Far %1 slot").arg(tr(place.title).toLower())
                                : tr("%1 slot").arg(tr(place.title)));
        grid->addWidget(button, place.row, place.column);
        list.push_back(button);
    }
    // The centre stays empty, as on the reticle.
    grid->setRowMinimumHeight(1, 64);
    grid->setColumnMinimumWidth(1, 64);
    return page;
}

QSlider* PreferencesWindow::addSlider(QWidget* parent, const QString& objectName,
                                      const QString& title, int minimum, int maximum,
                                      std::function<QString(int)> valueText,
                                      std::function<void(int)> changed) {
    auto* form = qobject_cast<QFormLayout*>(parent->layout());
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(objectName);
    slider->setRange(minimum, maximum);
    slider->setPageStep(std::max(1, (maximum - minimum) / 10));
    slider->setMinimumWidth(180);
    slider->setFocusPolicy(Qt::StrongFocus);
    auto* value = new QLabel(parent);
    value->setMinimumWidth(60);
    auto* row = new QHBoxLayout;
    row->addWidget(slider, 1);
    row->addWidget(value);
    auto* label = new QLabel(title, parent);
    label->setBuddy(slider);
    form->addRow(label, row);
    QString plainTitle = title;
    plainTitle.remove('&');
    slider->setAccessibleName(plainTitle);
    const auto show = [slider, value, valueText] {
        value->setText(valueText(slider->value()));
        slider->setAccessibleDescription(value->text());
    };
    connect(slider, &QSlider::valueChanged, value, show);
    connect(slider, &QSlider::valueChanged, this, [changed](int position) { changed(position); });
    show();
    sliderLabels.push_back(show);
    return slider;
}

QWidget* PreferencesWindow::buildDistances() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);

    nearStackView = new QWidget(box);
    nearStackView->setObjectName(QStringLiteral("nearStackView"));
    new QFormLayout(nearStackView);
    safeAreaSlider = addSlider(nearStackView, QStringLiteral("safeAreaSlider"), tr("&Dead zone:"),
                               5, 100, pixels, [this](int v) { c.defaults.safeAreaSize.set(v); });
    minDistSlider = addSlider(
        nearStackView, QStringLiteral("minDistSlider"), tr("Appear afte&r:"), 0, 100, pixels,
        [this](int v) { c.defaults.reticleDisplayMinDist.set(static_cast<float>(v)); });
    column->addWidget(nearStackView);

    farStackView = new QWidget(box);
    farStackView->setObjectName(QStringLiteral("farStackView"));
    new QFormLayout(farStackView);
    farSlider =
        addSlider(farStackView, QStringLiteral("farSlider"), tr("Far rin&g from:"), 50, 600, pixels,
                  [this](int v) { c.defaults.firstRingDist.set(static_cast<float>(v)); });
    // The last position switches the outer limit off.
    outerSafeAreaSlider = addSlider(
        farStackView, QStringLiteral("outerSafeAreaSlider"), tr("&Outer limit:"), 100, 1001,
        [](int v) { return v >= 1001 ? tr("Off") : pixels(v); },
        [this](int v) { c.defaults.outerSafeArea.set(static_cast<float>(v)); });
    column->addWidget(farStackView);
    return box;
}

QToolButton* PreferencesWindow::infoButton(QWidget* parent, const QString& objectName,
                                           const QString& what) {
    auto* button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setText(QStringLiteral("?"));
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAccessibleName(tr("About %1").arg(what));
    button->setToolTip(button->accessibleName());
    button->setAutoRaise(true);
    return button;
}

QWidget* PreferencesWindow::buildTriggers() {
    auto* group = new QGroupBox(tr("Show the reticle while holding"), this);
    group->setObjectName(QStringLiteral("triggerGroup"));
    auto* column = new QVBoxLayout(group);

    auto* modifiers = new QHBoxLayout;
    struct Modifier {
        const char* name;
        QString title;
        std::int64_t bit;
    };
    // Super stands where the Command key does, Alt where Option does. X has no Function
    // modifier: its box stays for a stored trigger that holds it, but is never shown.
    const std::array<Modifier, 5> list{{
        {"cmdCheckbox", tr("&Super"), modifierFlags::command},
        {"optionCheckbox", tr("A&lt"), modifierFlags::option},
        {"controlCheckbox", tr("&Control"), modifierFlags::control},
        {"shiftCheckbox", tr("S&hift"), modifierFlags::shift},
        {"fnCheckbox", tr("Fn"), modifierFlags::function},
    }};
    for (const Modifier& modifier : list) {
        auto* box = new QCheckBox(modifier.title, group);
        box->setObjectName(QString::fromLatin1(modifier.name));
        QString plain = modifier.title;
        box->setAccessibleName(tr("Trigger modifier %1").arg(plain.remove('&')));
        connect(box, &QCheckBox::clicked, this,
                [this, box, bit = modifier.bit] { modifierChanged(box, bit); });
        modifiers->addWidget(box);
        modifierBoxes.emplace_back(box, modifier.bit);
        if (modifier.bit == modifierFlags::function)
            box->hide();
    }
    modifiers->addStretch();
    column->addLayout(modifiers);

    trackpadGestureStackView = new QWidget(group);
    trackpadGestureStackView->setObjectName(QStringLiteral("trackpadGestureStackView"));
    auto* gestureRow = new QHBoxLayout(trackpadGestureStackView);
    gestureRow->setContentsMargins(0, 0, 0, 0);
    auto* gestureLabel = new QLabel(tr("&Trackpad:"), trackpadGestureStackView);
    trackpadGestureSelect = new QComboBox(trackpadGestureStackView);
    trackpadGestureSelect->setObjectName(QStringLiteral("trackpadGestureSelect"));
    trackpadGestureSelect->setAccessibleName(tr("Trackpad gesture"));
    gestureLabel->setBuddy(trackpadGestureSelect);
    for (int fingers : gestureChoices)
        trackpadGestureSelect->addItem(
            fingers == 0 ? tr("None") : tr("Rest %1 fingers, lift all but one").arg(fingers),
            fingers);
    connect(trackpadGestureSelect, &QComboBox::activated, this, &PreferencesWindow::selectGesture);
    trackpadInfoButton = infoButton(trackpadGestureStackView, QStringLiteral("trackpadInfoButton"),
                                    tr("the trackpad after sleep"));
    connect(trackpadInfoButton, &QToolButton::clicked, this, &PreferencesWindow::showGestureInfo);
    gestureRow->addWidget(gestureLabel);
    gestureRow->addWidget(trackpadGestureSelect);
    gestureRow->addWidget(trackpadInfoButton);
    gestureRow->addStretch();
    column->addWidget(trackpadGestureStackView);
    return group;
}

QCheckBox* PreferencesWindow::addSwitch(QWidget* parent, const QString& objectName,
                                        const QString& title, std::function<void(bool)> toggled) {
    auto* box = new QCheckBox(title, parent);
    box->setObjectName(objectName);
    QString plain = title;
    box->setAccessibleName(plain.remove('&'));
    // Only what the user does writes a setting; loading and the arrow-key rule set boxes quietly.
    connect(box, &QCheckBox::clicked, this, [box, toggled] { toggled(isOn(box)); });
    return box;
}

QWidget* PreferencesWindow::buildSwitches() {
    controlsStackView = new QWidget(this);
    controlsStackView->setObjectName(QStringLiteral("controlsStackView"));
    auto* column = new QVBoxLayout(controlsStackView);
    column->setContentsMargins(0, 0, 0, 0);
    const auto withInfo = [this, column](QCheckBox* box, QToolButton* info) {
        auto* row = new QHBoxLayout;
        row->addWidget(box);
        if (info)
            row->addWidget(info);
        row->addStretch();
        column->addLayout(row);
    };

    launchOnLoginCheckbox = addSwitch(controlsStackView, QStringLiteral("launchOnLoginCheckbox"),
                                      tr("Start at log&in"), [this](bool on) {
                                          // The login item first: the setting records what is.
                                          if (c.applyLaunchOnLogin)
                                              c.applyLaunchOnLogin(on);
                                          c.defaults.launchOnLogin.set(on);
                                      });
    withInfo(launchOnLoginCheckbox, nullptr);
    hideMenuBarCheckbox = addSwitch(controlsStackView, QStringLiteral("hideMenuBarCheckbox"),
                                    tr("Hide the tra&y icon"), [this](bool on) {
                                        c.defaults.hideMenuBarIcon.set(on);
                                        if (c.applyStatusItemVisibility)
                                            c.applyStatusItemVisibility();
                                    });
    withInfo(hideMenuBarCheckbox, nullptr);
    showBackgroundCheckbox =
        addSwitch(controlsStackView, QStringLiteral("showBackgroundCheckbox"),
                  tr("Show &background"), [this](bool on) {
                      c.defaults.background.set(std::optional<bool>(on));
                      c.notificationCenter.post(notifications::backgroundUpdated);
                  });
    withInfo(showBackgroundCheckbox, nullptr);
    hoverCheckbox = addSwitch(controlsStackView, QStringLiteral("hoverCheckbox"),
                              tr("O&pen a slot by resting on it"),
                              [this](bool on) { c.defaults.hoverMillis.set(hoverMillisFor(on)); });
    withInfo(hoverCheckbox, nullptr);
    arrowKeysCheckbox =
        addSwitch(controlsStackView, QStringLiteral("arrowKeysCheckbox"),
                  tr("Modifier &keys + arrow keys show the reticle"), [this](bool on) {
                      c.defaults.arrowKeysDisplays.set(std::optional<bool>(on));
                      c.notificationCenter.post(notifications::arrowDisplaysToggled);
                  });
    QToolButton* arrowInfo =
        infoButton(controlsStackView, QStringLiteral("arrowKeysInfoButton"), tr("the arrow keys"));
    connect(arrowInfo, &QToolButton::clicked, this, [this, arrowInfo] {
        if (!textPopover)
            textPopover = std::make_unique<MessagePopover>();
        textPopover->show(arrowKeysInfo, *arrowInfo);
    });
    withInfo(arrowKeysCheckbox, arrowInfo);
    launchActiveAppsCheckbox =
        addSwitch(controlsStackView, QStringLiteral("launchActiveAppsCheckbox"),
                  tr("R&eopen running applications like the dock"),
                  [this](bool on) { c.defaults.relaunchActive.set(std::optional<bool>(on)); });
    QToolButton* activeInfo = infoButton(
        controlsStackView, QStringLiteral("launchActiveAppsInfoButton"), tr("reopening"));
    connect(activeInfo, &QToolButton::clicked, this, [this, activeInfo] {
        if (!textPopover)
            textPopover = std::make_unique<MessagePopover>();
        textPopover->show(launchActiveAppsInfo, *activeInfo);
    });
    withInfo(launchActiveAppsCheckbox, activeInfo);
    hideFrontmostCheckbox =
        addSwitch(controlsStackView, QStringLiteral("hideFrontmostCheckbox"),
                  tr("Hide the front application &when it is chosen again"),
                  [this](bool on) { c.defaults.hideFrontmost.set(std::optional<bool>(on)); });
    withInfo(hideFrontmostCheckbox, nullptr);
    column->addStretch();
    return controlsStackView;
}

void PreferencesWindow::changeTabs(int index) {
    if (nearFarTabView->currentIndex() != index)
        nearFarTabView->setCurrentIndex(index);
    const bool far = index == 1;
    farStackView->setVisible(far);
    nearStackView->setVisible(!far);
}

void PreferencesWindow::loadModifiers() {
    const std::int64_t flags = c.defaults.reticleFlags.value();
    for (auto [box, bit] : modifierBoxes)
        box->setChecked((flags & bit) != 0);
    arrowKeysCheckbox->setEnabled(arrowKeyRule(flags, OptionalBool::undefined).switchEnabled);
}

void PreferencesWindow::loadTrackpadRow() {
    const std::int64_t touches = c.defaults.restToOneTouches.value();
    int index = trackpadGestureSelect->findData(static_cast<int>(touches));
    if (index < 0 && touches > 0 && touches <= 15) {
        // A count set elsewhere that the list does not offer is still shown as it is.
        trackpadGestureSelect->addItem(tr("Rest %1 fingers, lift all but one").arg(touches),
                                       static_cast<int>(touches));
        index = trackpadGestureSelect->count() - 1;
    }
    trackpadGestureSelect->setCurrentIndex(index);
    trackpadInfoButton->setVisible(touches != 0);
}

void PreferencesWindow::refreshSlotButtons() {
    c.installedApps.refresh();
    for (SlotConfigButton* button : nearButtons) {
        button->selectionComplete = [this](int tag, std::optional<std::string> value,
                                           ActionType type) {
            slotChosen(false, tag, std::move(value), type);
        };
        if (const auto position = directionalFromRaw(button->tag())) {
            const auto& action = c.model.mainSpec().slot(*position);
            button->showAction(action ? std::optional(action->stringValue) : std::nullopt,
                               action ? action->type : ActionType::app);
        }
    }
    for (SlotConfigButton* button : farButtonList) {
        button->setId(farButtonId(button->tag()));
        button->selectionComplete = [this](int tag, std::optional<std::string> value,
                                           ActionType type) {
            slotChosen(true, tag, std::move(value), type);
        };
        if (const auto position = directionalFromRaw(button->tag())) {
            const auto& action = c.model.farSpec().slot(*position);
            button->showAction(action ? std::optional(action->stringValue) : std::nullopt,
                               action ? action->type : ActionType::app);
        }
    }
}

void PreferencesWindow::loadSliders() {
    const QSignalBlocker safe(safeAreaSlider), min(minDistSlider), far(farSlider),
        outer(outerSafeAreaSlider);
    safeAreaSlider->setValue(sliderPosition(static_cast<double>(c.defaults.safeAreaSize.value())));
    minDistSlider->setValue(sliderPosition(c.defaults.reticleDisplayMinDist.value()));
    farSlider->setValue(sliderPosition(c.defaults.firstRingDist.value()));
    outerSafeAreaSlider->setValue(sliderPosition(c.defaults.outerSafeArea.value()));
    // The value labels follow although the sliders were quiet.
    for (const auto& showValue : sliderLabels)
        showValue();
}

void PreferencesWindow::loadSwitches() {
    const Defaults& d = c.defaults;
    const auto enabled = [](const OptionalBoolDefault& setting) {
        return setting.value() == OptionalBool::userEnabled;
    };
    if (d.launchOnLogin.value())
        launchOnLoginCheckbox->setChecked(true);
    if (d.hideMenuBarIcon.value())
        hideMenuBarCheckbox->setChecked(true);
    if (enabled(d.background))
        showBackgroundCheckbox->setChecked(true);
    if (hoverShowsChecked(d.hoverMillis.value()))
        hoverCheckbox->setChecked(true);
    if (enabled(d.arrowKeysDisplays))
        arrowKeysCheckbox->setChecked(true);
    if (enabled(d.relaunchActive))
        launchActiveAppsCheckbox->setChecked(true);
    if (enabled(d.hideFrontmost))
        hideFrontmostCheckbox->setChecked(true);
}

void PreferencesWindow::modifierChanged(QCheckBox* box, std::int64_t bit) {
    c.defaults.reticleFlags.set(withModifier(c.defaults.reticleFlags.value(), bit, isOn(box)));
    applyArrowKeyRule();
}

void PreferencesWindow::applyArrowKeyRule() {
    const ArrowKeyRule rule =
        arrowKeyRule(c.defaults.reticleFlags.value(), c.defaults.arrowKeysDisplays.value());
    arrowKeysCheckbox->setEnabled(rule.switchEnabled);
    if (rule.disable) {
        arrowKeysCheckbox->setChecked(false);
        c.defaults.arrowKeysDisplays.set(std::optional<bool>(false));
    }
    if (rule.reregister) {
        c.arrowKeys.unregisterAll();
        c.notificationCenter.post(notifications::arrowDisplaysToggled);
    }
}

void PreferencesWindow::selectGesture(int index) {
    const int touches = trackpadGestureSelect->itemData(index).toInt();
    c.defaults.restToOneTouches.set(touches);
    trackpadInfoButton->setVisible(touches != 0);
    c.notificationCenter.post(notifications::gestureSelected);
}

void PreferencesWindow::showGestureInfo() {
    if (!wakePopover)
        wakePopover = std::make_unique<MessageCheckboxPopover>();
    wakePopover->show(trackpadInfo, relaunchOnWakeTitle, *trackpadInfoButton,
                      c.wakeDefaults.autoRestartOnWake.value() == OptionalBool::userEnabled,
                      [this](bool checked) {
                          c.wakeDefaults.autoRestartOnWake.set(std::optional<bool>(checked));
                          if (c.updateWakeObserver)
                              c.updateWakeObserver();
                      });
}

void PreferencesWindow::slotChosen(bool far, int tag, std::optional<std::string> stringValue,
                                   ActionType type) {
    const auto position = directionalFromRaw(tag);
    if (!position)
        return;
    std::optional<Action> action;
    if (stringValue)
        action = Action{std::move(*stringValue), type};
    if (far)
        c.model.setFarSlot(std::move(action), *position);
    else
        c.model.setMainSlot(std::move(action), *position);
    c.notificationCenter.post(notifications::appsUpdated);
}

void PreferencesWindow::appUpdatedInReticle(const Notification& notification) {
    const auto* update = std::any_cast<AppUpdate>(&notification.object);
    if (!update)
        return;
    const auto& buttons = update->far ? farButtonList : nearButtons;
    for (SlotConfigButton* button : buttons) {
        if (button->tag() != rawValue(update->directional))
            continue;
        button->showAction(update->action.stringValue, update->action.type);
        button->markApplication(update->installedApp);
        return;
    }
}

bool PreferencesWindow::event(QEvent* event) {
    // The installed applications change while the program runs; coming back to the window is
    // when the user expects to see them.
    if (event->type() == QEvent::WindowActivate)
        c.installedApps.refresh();
    return QWidget::event(event);
}

} // namespace zentrivo
