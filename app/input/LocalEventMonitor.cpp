#include "LocalEventMonitor.h"

#include <utility>

namespace zentrivo {

LocalEventMonitor::LocalEventMonitor(EventMonitorService& service, EventMask mask, Handler handler)
    : service(service), mask(mask), handler(std::move(handler)) {}

LocalEventMonitor::~LocalEventMonitor() {
    stop();
}

void LocalEventMonitor::start() {
    if (isRunning())
        stop();
    monitor =
        service.addLocalMonitor(mask, [this](const InputEvent& event) { return handler(event); });
}

void LocalEventMonitor::stop() {
    if (const auto token = std::exchange(monitor, std::nullopt))
        service.removeMonitor(*token);
}

} // namespace zentrivo
