#include "FakeEventMonitorService.h"

#include <algorithm>

namespace zentrivo::test {

std::optional<EventMonitorService::Token>
FakeEventMonitorService::addGlobalMonitor(EventMask mask, GlobalHandler handler) {
    if (refuseGlobal)
        return std::nullopt;
    monitors.push_back(
        {nextToken, mask, std::make_shared<GlobalHandler>(std::move(handler)), nullptr});
    return nextToken++;
}

std::optional<EventMonitorService::Token>
FakeEventMonitorService::addLocalMonitor(EventMask mask, LocalHandler handler) {
    if (refuseLocal)
        return std::nullopt;
    monitors.push_back(
        {nextToken, mask, nullptr, std::make_shared<LocalHandler>(std::move(handler))});
    return nextToken++;
}

void FakeEventMonitorService::removeMonitor(Token token) {
    const auto it = std::find_if(monitors.begin(), monitors.end(),
                                 [token](const Monitor& m) { return m.token == token; });
    if (it == monitors.end())
        return;
    monitors.erase(it);
    ++removals;
}

bool FakeEventMonitorService::installed(Token token) const {
    return std::any_of(monitors.begin(), monitors.end(),
                       [token](const Monitor& m) { return m.token == token; });
}

int FakeEventMonitorService::deliverGlobal(EventType type, const InputEvent* event) {
    const auto snapshot = monitors;
    int calls = 0;
    for (const auto& monitor : snapshot) {
        if (!monitor.global || !(monitor.mask & maskOf(type)) || !installed(monitor.token))
            continue;
        (*monitor.global)(event);
        ++calls;
    }
    return calls;
}

int FakeEventMonitorService::send(const InputEvent& event) {
    return deliverGlobal(event.type, &event);
}

int FakeEventMonitorService::sendUndecodable(EventType type) {
    return deliverGlobal(type, nullptr);
}

std::optional<InputEvent> FakeEventMonitorService::sendLocal(const InputEvent& event) {
    const auto snapshot = monitors;
    std::optional<InputEvent> current = event;
    for (const auto& monitor : snapshot) {
        if (!current)
            break;
        if (!monitor.local || !(monitor.mask & maskOf(current->type)) || !installed(monitor.token))
            continue;
        current = (*monitor.local)(*current);
    }
    return current;
}

int FakeEventMonitorService::globalCount() const {
    return static_cast<int>(
        std::count_if(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.global; }));
}

int FakeEventMonitorService::localCount() const {
    return static_cast<int>(
        std::count_if(monitors.begin(), monitors.end(), [](const Monitor& m) { return m.local; }));
}

int FakeEventMonitorService::countWithMask(EventMask mask) const {
    return static_cast<int>(std::count_if(monitors.begin(), monitors.end(),
                                          [mask](const Monitor& m) { return m.mask == mask; }));
}

} // namespace zentrivo::test
