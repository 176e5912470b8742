#include "EventMonitor.h"

#include <utility>

namespace zentrivo {

EventMonitor::EventMonitor(EventMonitorService& service, EventMask mask, Handler handler)
    : service(service), mask(mask), handler(std::move(handler)) {}

EventMonitor::~EventMonitor() {
    stop();
}

void EventMonitor::start() {
    if (isRunning())
        stop();
    globalMonitor =
        service.addGlobalMonitor(mask, [this](const InputEvent* event) { handler(event); });
    localMonitor = service.addLocalMonitor(mask, [this](const InputEvent& event) {
        handler(&event);
        return std::optional<InputEvent>(event);
    });
}

void EventMonitor::stop() {
    if (const auto token = std::exchange(globalMonitor, std::nullopt))
        service.removeMonitor(*token);
    if (const auto token = std::exchange(localMonitor, std::nullopt))
        service.removeMonitor(*token);
}

} // namespace zentrivo
