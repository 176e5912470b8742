#include "GlobalEventMonitor.h"

#include <utility>

namespace zentrivo {

GlobalEventMonitor::GlobalEventMonitor(EventMonitorService& service, EventMask mask,
                                       Handler handler)
    : service(service), mask(mask), handler(std::move(handler)) {}

GlobalEventMonitor::~GlobalEventMonitor() {
    stop();
}

void GlobalEventMonitor::start() {
    if (isRunning())
        stop();
    monitor = service.addGlobalMonitor(mask, [this](const InputEvent* event) { handler(event); });
}

void GlobalEventMonitor::stop() {
    if (const auto token = std::exchange(monitor, std::nullopt))
        service.removeMonitor(*token);
}

} // namespace zentrivo
