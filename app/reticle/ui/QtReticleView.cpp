#include "QtReticleView.h"

#include "ReticleSlotWidget.h"
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
#include <QPainter>

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
    }
    applyHighlightColor();
    reloadSlotImages();
    observerTokens.push_back(
        c.notificationCenter.addObserver(notifications::appsUpdated, [this](const Notification&) {
            c.icons.clear();
            reloadSlotImages();
        }));
    observerTokens.push_back(c.notificationCenter.addObserver(
        notifications::backgroundUpdated, [this](const Notification&) { applyBackground(); }));
    applyBackground();
}

QtReticleView::~QtReticleView() {
    for (auto token : observerTokens)
        c.notificationCenter.removeObserver(token);
    if (flashWorkItem)
        flashWorkItem->cancel();
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
                icon = c.icons.appIcon(action->stringValue);
                break;
            case ActionType::file:
                icon = c.icons.fileIcon(action->stringValue);
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
}

void QtReticleView::updateLaunchedViews() {
    std::vector<RunningApp> running;
    if (backingVisible)
        running = c.workspace.runningApplications();
    const auto runs = [&](const std::string& bundleId) {
        for (const auto& app : running)
            if (app.bundleIdentifier == bundleId)
                return true;
        return false;
    };
    for (Directional d : allDirections) {
        bool show = false;
        if (backingVisible) {
            if (const auto action = slotAction(d)) {
                switch (action->type) {
                case ActionType::app:
                    show = runs(action->stringValue);
                    break;
                case ActionType::file:
                    // A desktop entry in a file slot is an application in its own right.
                    for (const auto& app : running)
                        show = show || (app.bundlePath && *app.bundlePath == action->stringValue);
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
        }
        slotWidget(d).setLaunchedVisible(show);
    }
}

void QtReticleView::applyBackground() {
    backingVisible = c.defaults.background.value() == OptionalBool::userEnabled;
    applyHighlightColor();
    update();
}

bool QtReticleView::isDark() const {
    return palette().color(QPalette::Window).lightness() < 128;
}

QColor QtReticleView::highlightColorFor(bool dark, bool background) {
    if (dark)
        return background ? QColor::fromRgbF(1, 1, 1, 0.25f)
                          : QColor::fromRgbF(0.8f, 0.8f, 0.8f, 0.8f);
    return background ? QColor::fromRgbF(0, 0, 0, 0.2f) : QColor::fromRgbF(0.7f, 0.7f, 0.7f, 0.9f);
}

QColor QtReticleView::flashColor() {
    return QColor::fromRgbF(0.0f, 0.478f, 1.0f, 0.8f);
}

void QtReticleView::applyHighlightColor() {
    const QColor color = flashing ? flashColor() : highlightColorFor(isDark(), backingVisible);
    for (auto* widget : slotWidgets)
        widget->setHighlightColor(color);
}

void QtReticleView::paintEvent(QPaintEvent*) {
    if (!backingVisible)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor backing = palette().color(QPalette::Window);
    backing.setAlphaF(0.85f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(backing);
    painter.drawRoundedRect(QRectF(rect()), 12.0, 12.0);
}

void QtReticleView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        applyHighlightColor();
    QWidget::changeEvent(event);
}

} // namespace zentrivo
