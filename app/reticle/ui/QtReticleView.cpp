#include "QtReticleView.h"

#include "QtSlotDrops.h"
#include "ReticleSlotWidget.h"
#include "SlotDecorations.h"
#include "SlotIcons.h"
#include "app/apps/FrontmostAppDetection.h"
#include "app/core/MainQueue.h"
#include "app/core/Notifications.h"
#include "app/input/ArrowKeys.h"
#include "app/model/ReticleSpecModel.h"
#include "app/reticle/ArrowNavigation.h"
#include "app/reticle/ReticleViewDelegate.h"
#include "app/settings/Defaults.h"

#include <QEvent>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>

namespace zentrivo {

namespace {

std::size_t indexOf(Directional d) {
    return static_cast<std::size_t>(rawValue(d) - 1);
}

/// Row and column of each position in the grid, in `Directional` order.
constexpr std::array<std::pair<int, int>, 9> gridCells{{
    {0, 0},
    {0, 1},
    {0, 2}, // tl t tr
    {1, 0},
    {1, 2}, // l r
    {2, 0},
    {2, 1},
    {2, 2}, // bl b br
    {1, 1}, // c
}};

} // namespace

QtReticleView::QtReticleView(const Collaborators& collaborators, QWidget* parent)
    : QWidget(parent), c(collaborators) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(panelSize, panelSize);
    slotDrops = new QtSlotDrops(
        SlotDrops::Collaborators{c.defaults, c.model, c.notificationCenter, c.workspace,
                                 c.frontmostAppDetection, c.moveIntoFolder},
        QtSlotDrops::Hooks{[this] { return showingFar; }, [this] { return delegate; },
                           [this] { reloadSlotImages(); }},
        this);
    for (Directional d : allDirections) {
        auto* widget = new ReticleSlotWidget(d, this);
        const auto [row, column] = gridCells[indexOf(d)];
        const int x = panelInset + column * (slotSize + slotSpacing);
        const int y = panelInset + row * (slotSize + slotSpacing);
        widget->setGeometry(x, y, slotSize, slotSize);
        // The in-slot test works in y-up window coordinates.
        containers.setFrame(d, Rect{{double(x), double(panelSize - y - slotSize)},
                                    {double(slotSize), double(slotSize)}});
        widget->setClickHandler([this] {
            if (delegate)
                delegate->dismiss(true);
        });
        slotWidgets[indexOf(d)] = widget;
        slotDrops->attach(*widget);
    }
    applyHighlightColor();
    reloadSlotImages();
    observerTokens.push_back(
        c.notificationCenter.addObserver(notifications::appsUpdated,
                                         [this](const Notification&) { reloadSlotImages(); }));
    observerTokens.push_back(c.notificationCenter.addObserver(
        notifications::backgroundUpdated, [this](const Notification&) { applyBackground(); }));
    if (c.appearance)
        appearanceToken = c.appearance->addObserver([this] {
            applyHighlightColor();
            update();
        });
    applyBackground();
}

QtReticleView::~QtReticleView() {
    for (auto token : observerTokens)
        c.notificationCenter.removeObserver(token);
    if (c.appearance)
        c.appearance->removeObserver(appearanceToken);
    if (flashWorkItem)
        flashWorkItem->cancel();
    if (rebuildWorkItem)
        rebuildWorkItem->cancel();
}

ReticleSlotWidget& QtReticleView::slotWidget(Directional position) const {
    return *slotWidgets[indexOf(position)];
}

const ReticleSlotWidget& QtReticleView::slot(Directional position) const {
    return slotWidget(position);
}

std::optional<Action> QtReticleView::slotAction(Directional position) const {
    return c.model.action(position, showingFar);
}

void QtReticleView::setDelegate(ReticleViewDelegate* newDelegate) {
    delegate = newDelegate;
}

void QtReticleView::highlight(std::optional<Directional> position) {
    clearHighlight();
    if (!position || !slotAction(*position))
        return;
    auto& widget = slotWidget(*position);
    if (widget.hasImage())
        widget.setHighlightVisible(true);
}

void QtReticleView::clearHighlight() {
    for (auto* widget : slotWidgets)
        widget->setHighlightVisible(false);
}

void QtReticleView::hideHighlight(Directional position) {
    slotWidget(position).setHighlightVisible(false);
}

void QtReticleView::pulseHighlight() {
    if (std::none_of(slotWidgets.begin(), slotWidgets.end(),
                     [](const ReticleSlotWidget* w) { return w->isHighlightVisible(); }))
        return;
    // The colour the flash returns to is chosen when it ends: the one the appearance and the
    // backing call for then. Overlapping flashes therefore never leave the highlight blue, and
    // an appearance change during a flash is not undone by it.
    if (flashWorkItem)
        flashWorkItem->cancel();
    flashing = true;
    applyHighlightColor();
    flashWorkItem = c.mainQueue.postAfter(std::chrono::milliseconds(250), [this] {
        flashing = false;
        applyHighlightColor();
    });
}

void QtReticleView::reloadSlots(bool far) {
    showingFar = far;
    reloadSlotImages();
    updateLaunchedViews();
}

void QtReticleView::showCentreApp(const std::optional<RunningApp>& app) {
    auto& centre = slotWidget(Directional::c);
    if (!app) {
        centre.setIcon({});
    } else if (app->bundleIdentifier && app->bundlePath) {
        QIcon icon = c.icons.appIcon(*app->bundleIdentifier);
        centre.setIcon(icon.isNull() ? SlotIcons::initialsGlyph(QString::fromStdString(
                                           app->localizedName.value_or(*app->bundleIdentifier)))
                                     : icon);
    } else {
        // No desktop entry to take a picture from: a generic "back to the last application".
        QIcon icon = QIcon::fromTheme(QStringLiteral("go-previous"));
        centre.setIcon(icon.isNull() ? SlotIcons::initialsGlyph(
                                           QString::fromStdString(app->localizedName.value_or("?")))
                                     : icon);
    }
    containers.setHasImage(Directional::c, centre.hasImage());
}

void QtReticleView::clearCentreImage() {
    slotWidget(Directional::c).setIcon({});
    containers.setHasImage(Directional::c, false);
}

void QtReticleView::arrowNavigate(Directional arrow) {
    if (!delegate)
        return;
    if (navigateArrow(*delegate, arrow, c.model))
        highlight(delegate->directional());
}

std::optional<Directional> QtReticleView::slotWithImageAt(Point windowPoint) const {
    return containers.hit(windowPoint);
}

void QtReticleView::viewWillAppear() {
    const QIcon lastApp = lastAppIcon();
    for (Directional d : lastAppSlots)
        slotWidget(d).setIcon(lastApp);
    for (Directional d : lastAppSlots)
        containers.setHasImage(d, slotWidget(d).hasImage());
    updateLaunchedViews();
    if (c.defaults.arrowKeysDisplays.value() != OptionalBool::userEnabled)
        c.arrowKeys.registerKeys([this](Directional arrow) { arrowNavigate(arrow); }, {});
}

void QtReticleView::viewDidAppear(Rect frame) {
    if (delegate)
        delegate->windowAppeared(frame);
}

void QtReticleView::viewWillDisappear() {
    // After the close has been handled: the rebuild reads every icon and tag afresh.
    if (rebuildWorkItem)
        rebuildWorkItem->cancel();
    rebuildWorkItem = c.mainQueue.postAfter(std::chrono::milliseconds(0), [this] {
        rebuildWorkItem.reset();
        c.icons.rebuildIcons(c.model.mainSpec(), isDark());
    });
}

QIcon QtReticleView::lastAppIcon() const {
    const auto& app = c.frontmostAppDetection.lastApp(c.defaults.lastFrontAppCanBeZentrivo.value());
    if (!app)
        return {};
    return c.icons.appIcon(app->bundleId);
}

void QtReticleView::reloadSlotImages() {
    lastAppSlots.clear();
    for (Directional d : allDirections) {
        auto& widget = slotWidget(d);
        const auto action = slotAction(d);
        QIcon icon;
        if (action) {
            switch (action->type) {
            case ActionType::app:
            case ActionType::file:
                icon = c.icons.icon(*action, isDark());
                break;
            case ActionType::lastApp:
                lastAppSlots.push_back(d);
                icon = lastAppIcon();
                break;
            case ActionType::runningApp:
                // Such a slot gets no picture of its own.
                break;
            }
        }
        widget.setIcon(icon);
        if (!widget.hasImage())
            widget.setHighlightVisible(false);
        containers.setHasImage(d, widget.hasImage());
    }
    applySlotStyling();
}

void QtReticleView::applySlotStyling() {
    for (auto* widget : slotWidgets)
        widget->setEmptyBackdrop(!backingVisible && !widget->hasImage());
}

void QtReticleView::updateLaunchedViews() {
    // Marks show only over the backing: without it the desktop is not even asked what runs.
    const std::vector<RunningApp> running =
        backingVisible ? c.workspace.runningApplications() : std::vector<RunningApp>{};
    const auto runs = [&](const std::string& bundleId) {
        return std::any_of(running.begin(), running.end(),
                           [&](const RunningApp& app) { return app.bundleIdentifier == bundleId; });
    };
    for (Directional d : allDirections) {
        bool show = false;
        if (const auto action = slotAction(d)) {
            switch (action->type) {
            case ActionType::app:
                show = runs(action->stringValue);
                break;
            case ActionType::file:
                // A desktop entry in a file slot is an application in its own right.
                show = QFileInfo(QString::fromStdString(action->stringValue)).suffix() ==
                           QLatin1String("desktop") &&
                       std::any_of(running.begin(), running.end(), [&](const RunningApp& app) {
                           return app.bundlePath == action->stringValue;
                       });
                break;
            case ActionType::lastApp:
                if (const auto& last = c.frontmostAppDetection.lastApp(
                        c.defaults.lastFrontAppCanBeZentrivo.value()))
                    show = runs(last->bundleId);
                break;
            case ActionType::runningApp:
                break;
            }
        }
        slotWidget(d).setLaunchedVisible(show);
    }
}

void QtReticleView::applyBackground() {
    backingVisible = c.defaults.background.value() == OptionalBool::userEnabled;
    applySlotStyling();
    applyHighlightColor();
    update();
}

bool QtReticleView::isDark() const {
    switch (c.appearance ? c.appearance->colorScheme() : ColorScheme::noPreference) {
    case ColorScheme::dark:
        return true;
    case ColorScheme::light:
        return false;
    case ColorScheme::noPreference:
        break;
    }
    return palette().color(QPalette::Window).lightness() < 128;
}

void QtReticleView::applyHighlightColor() {
    const bool dark = isDark();
    const QColor color = flashing ? slotDecorations::flashColor(dark)
                                  : slotDecorations::highlightColor(dark, backingVisible);
    for (auto* widget : slotWidgets) {
        widget->setHighlightColor(color);
        widget->setLaunchedColor(slotDecorations::launchedMarkColor(dark));
    }
}

void QtReticleView::paintEvent(QPaintEvent*) {
    if (!backingVisible)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(slotDecorations::backingColor(isDark()));
    painter.drawRoundedRect(QRectF(rect()), 12.0, 12.0);
}

void QtReticleView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        applyHighlightColor();
        update();
    }
    QWidget::changeEvent(event);
}

} // namespace zentrivo
