#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace zentrivo {

/// Names a registered hot key in the events the platform delivers for it.
struct EventHotKeyID {
    /// Four-character code of the program that registered the key.
    std::uint32_t signature = 0;
    std::uint32_t id = 0;
    bool operator==(const EventHotKeyID&) const = default;
};

/// Event kinds of the keyboard class that hot keys produce.
namespace hotKeyEventKind {
inline constexpr std::uint32_t pressed = 5;
inline constexpr std::uint32_t released = 6;
} // namespace hotKeyEventKind

/// One hot-key event as the platform delivers it.
struct HotKeyEvent {
    std::uint32_t kind = hotKeyEventKind::pressed;
    /// None when the event carried no readable hot-key id.
    std::optional<EventHotKeyID> hotKeyId;
};

/// Whether the program consumed a hot-key event; one it did not handle goes on to other handlers.
enum class HotKeyEventResult { handled, notHandled };

/// The platform's system-wide hot keys: a key code with modifiers that reaches the program
/// whichever application is in front, and no longer reaches that application.
class HotKeyService {
public:
    using HotKeyRef = std::uint64_t;
    /// Receives every hot-key event (none when the platform has no event to pass); runs on the
    /// main thread.
    using Handler = std::function<HotKeyEventResult(const HotKeyEvent* event)>;

    HotKeyService() = default;
    virtual ~HotKeyService() = default;
    HotKeyService(const HotKeyService&) = delete;
    HotKeyService& operator=(const HotKeyService&) = delete;

    /// Registers `keyCode` (the platform-independent virtual key code, e.g. 123 for the left
    /// arrow) with `carbonModifiers` (cmdKey 0x100, shiftKey 0x200, optionKey 0x800, controlKey
    /// 0x1000). Returns the reference that unregisters it, or none when the system refused the
    /// key (already taken by another program, for example).
    virtual std::optional<HotKeyRef> registerHotKey(std::uint32_t keyCode,
                                                    std::uint32_t carbonModifiers,
                                                    EventHotKeyID hotKeyId) = 0;
    /// Unregisters a key; an unknown reference is ignored.
    virtual void unregisterHotKey(HotKeyRef ref) = 0;
    /// Installs the one handler of hot-key events, replacing any earlier one; an empty handler
    /// removes it.
    virtual void setEventHandler(Handler handler) = 0;
};

} // namespace zentrivo
