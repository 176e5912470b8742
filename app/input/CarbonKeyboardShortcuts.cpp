#include "CarbonKeyboardShortcuts.h"

#include <limits>
#include <utility>

namespace zentrivo {
namespace {

bool fitsUnsigned32(std::int64_t value) {
    return value >= 0 && value <= std::numeric_limits<std::uint32_t>::max();
}

} // namespace

CarbonKeyboardShortcuts::CarbonKeyboardShortcuts(HotKeyService& service) : service(service) {}

CarbonKeyboardShortcuts::~CarbonKeyboardShortcuts() {
    unregisterAll();
    // The handler points at this registry; it must not outlive it.
    if (eventHandlerInstalled)
        service.setEventHandler({});
}

void CarbonKeyboardShortcuts::registerShortcut(const Shortcut& shortcut, Callback onKeyDown,
                                               Callback onKeyUp) {
    const std::uint32_t id = ++idCounter;
    if (!fitsUnsigned32(shortcut.carbonKeyCode) || !fitsUnsigned32(shortcut.carbonModifiers))
        return;
    const auto ref = service.registerHotKey(static_cast<std::uint32_t>(shortcut.carbonKeyCode),
                                            static_cast<std::uint32_t>(shortcut.carbonModifiers),
                                            EventHotKeyID{signature, id});
    if (!ref)
        return;
    table[id] = HotKey{shortcut, id, *ref, std::move(onKeyDown), std::move(onKeyUp)};
    if (!eventHandlerInstalled) {
        service.setEventHandler([this](const HotKeyEvent* event) { return handleEvent(event); });
        eventHandlerInstalled = true;
    }
}

void CarbonKeyboardShortcuts::unregisterAll() {
    auto registered = std::exchange(table, {});
    for (const auto& [id, hotKey] : registered)
        service.unregisterHotKey(hotKey.carbonHotKey);
}

HotKeyEventResult CarbonKeyboardShortcuts::handleEvent(const HotKeyEvent* event) {
    if (!event || !event->hotKeyId || event->hotKeyId->signature != signature)
        return HotKeyEventResult::notHandled;
    const auto it = table.find(event->hotKeyId->id);
    if (it == table.end())
        return HotKeyEventResult::notHandled;
    // Copies: a callback may unregister every key, this one included.
    const Shortcut shortcut = it->second.shortcut;
    Callback callback;
    if (event->kind == hotKeyEventKind::pressed)
        callback = it->second.onKeyDown;
    else if (event->kind == hotKeyEventKind::released)
        callback = it->second.onKeyUp;
    else
        return HotKeyEventResult::notHandled;
    if (callback)
        callback(shortcut);
    return HotKeyEventResult::handled;
}

} // namespace zentrivo
