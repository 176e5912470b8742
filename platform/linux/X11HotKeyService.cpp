#include "X11HotKeyService.h"

// Qt before Xlib: Xlib's macros (None, Bool, KeyPress, ...) break Qt's headers.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <cstdio>
#include <cstdlib>

namespace zentrivo::platform {
namespace {

/// Collects the error of a batch of requests instead of letting Xlib's default handler end the
/// program: a grab another client holds answers BadAccess, which is an outcome here, not a fault.
/// Xlib's handler is process-wide, so it is installed only around the batch, which ends in a
/// round trip: every error of the batch has arrived before the trap is lifted.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display(display) {
        trapped = display;
        firstError = Success;
        previous = XSetErrorHandler(record);
    }
    ~ErrorTrap() {
        XSetErrorHandler(previous);
        trapped = nullptr;
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    /// Waits for the server's answers; the first error code since the trap was set or last
    /// synced, Success when none.
    int sync() {
        XSync(display, False);
        const int error = firstError;
        firstError = Success;
        return error;
    }

private:
    static int record(Display* from, XErrorEvent* error) {
        if (from == trapped && firstError == Success)
            firstError = error->error_code;
        return 0;
    }

    static inline Display* trapped = nullptr;
    static inline int firstError = Success;
    Display* display;
    XErrorHandler previous;
};

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

} // namespace

X11HotKeyService::X11HotKeyService(Log& log, const char* displayName) : log(log) {
    display = XOpenDisplay(displayName && *displayName ? displayName : nullptr);
    if (!display) {
        const char* name = displayName && *displayName ? displayName : std::getenv("DISPLAY");
        log.error(std::string("cannot connect to the X server at ") + (name ? name : "(none)") +
                  "; the arrow keys are unavailable");
        return;
    }
    root = RootWindow(display, DefaultScreen(display));
    // Without it the server reports a held key as release-press pairs, and every repeat would
    // look like letting go of the arrow.
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display, True, &supported);
    if (!supported)
        log.info("the X server cannot report key repeats apart from releases; a held arrow key "
                 "may be taken as released");
    readNumLockMask();
    XSync(display, False);

    // Every grab ends in a round trip, which may queue events: the reader drains those too.
    reader = std::make_unique<XConnectionReader>(display, [this] { drain(); });
}

X11HotKeyService::~X11HotKeyService() {
    reader.reset();
    if (display)
        XCloseDisplay(display); // the server releases the grabs with the connection
}

std::optional<HotKeyService::HotKeyRef>
X11HotKeyService::registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                 EventHotKeyID hotKeyId) {
    const std::optional<unsigned long> keysym = X11KeyCombination::keysymFor(keyCode);
    const std::optional<unsigned int> modifiers = X11KeyCombination::modifiersFor(carbonModifiers);
    if (!keysym) {
        refuse("key code " + std::to_string(keyCode), "it has no key on this desktop");
        return std::nullopt;
    }
    const X11KeyCombination combination{*keysym, modifiers.value_or(0)};
    if (!modifiers) {
        refuse(combination.name() + " with modifiers " + hex(carbonModifiers),
               "only command, option, control and shift have X modifiers");
        return std::nullopt;
    }
    if (!display) {
        refuse(combination.name(), "there is no X server connection");
        return std::nullopt;
    }
    const unsigned int code = keyCodeFor(combination);
    if (code == 0)
        return std::nullopt;
    if (!grab(code, combination)) {
        refuse(combination.name(), "another program has taken it");
        return std::nullopt;
    }
    const HotKeyRef ref = ++lastRef;
    registrations[ref] = {combination, hotKeyId, code};
    return ref;
}

void X11HotKeyService::unregisterHotKey(HotKeyRef ref) {
    const auto found = registrations.find(ref);
    if (found == registrations.end())
        return;
    if (found->second.keyCode != 0) {
        ungrab(found->second.keyCode, found->second.combination);
        // A key let go after its registration ends reports nothing: its id is gone.
        held.erase(found->second.keyCode);
    }
    registrations.erase(found);
}

void X11HotKeyService::setEventHandler(Handler newHandler) {
    handler = std::move(newHandler);
}

bool X11HotKeyService::grab(unsigned int keyCode, const X11KeyCombination& combination) {
    ErrorTrap trap(display);
    for (const unsigned int variant : combination.grabVariants(numLockMask))
        XGrabKey(display, static_cast<int>(keyCode), variant, root, False, GrabModeAsync,
                 GrabModeAsync);
    if (trap.sync() == Success)
        return true;
    // Releasing a variant another client holds leaves that client's grab alone, so the ones this
    // batch did take are undone without knowing which they were.
    for (const unsigned int variant : combination.grabVariants(numLockMask))
        XUngrabKey(display, static_cast<int>(keyCode), variant, root);
    trap.sync();
    return false;
}

void X11HotKeyService::ungrab(unsigned int keyCode, const X11KeyCombination& combination) {
    ErrorTrap trap(display);
    for (const unsigned int variant : combination.grabVariants(numLockMask))
        XUngrabKey(display, static_cast<int>(keyCode), variant, root);
    trap.sync();
}

unsigned int X11HotKeyService::keyCodeFor(const X11KeyCombination& combination) {
    const KeyCode code = XKeysymToKeycode(display, combination.keysym);
    if (code == 0)
        refuse(combination.name(), "the current keymap has no key for it");
    return code;
}

void X11HotKeyService::readNumLockMask() {
    numLockMask = 0;
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map)
        return;
    for (int modifier = 0; modifier < 8 && numLock != 0; ++modifier)
        for (int i = 0; i < map->max_keypermod; ++i)
            if (map->modifiermap[modifier * map->max_keypermod + i] == numLock)
                numLockMask = 1u << modifier;
    XFreeModifiermap(map);
}

void X11HotKeyService::keymapChanged() {
    // The old grabs go with the old key codes and Num Lock bit; each key is taken again where
    // the new keymap puts it.
    for (auto& [ref, registration] : registrations)
        if (registration.keyCode != 0)
            ungrab(registration.keyCode, registration.combination);
    held.clear();
    readNumLockMask();
    for (auto& [ref, registration] : registrations) {
        registration.keyCode = keyCodeFor(registration.combination);
        if (registration.keyCode != 0 && !grab(registration.keyCode, registration.combination)) {
            refuse(registration.combination.name(), "another program has taken it");
            registration.keyCode = 0;
        }
    }
}

void X11HotKeyService::drain() {
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        handle(event);
    }
}

void X11HotKeyService::handle(XEvent& event) {
    if (event.type == MappingNotify) {
        if (event.xmapping.request == MappingKeyboard ||
            event.xmapping.request == MappingModifier) {
            XRefreshKeyboardMapping(&event.xmapping);
            keymapChanged();
        }
        return;
    }
    if (event.type != KeyPress && event.type != KeyRelease)
        return;
    const unsigned int keyCode = event.xkey.keycode;
    std::optional<HotKeyEvent> delivered;
    if (event.type == KeyPress) {
        const unsigned int modifiers =
            X11KeyCombination::significantModifiers(event.xkey.state, numLockMask);
        for (const auto& [ref, registration] : registrations) {
            if (registration.keyCode == keyCode &&
                registration.combination.modifiers == modifiers) {
                held[keyCode] = registration.hotKeyId;
                delivered = HotKeyEvent{hotKeyEventKind::pressed, registration.hotKeyId};
                break;
            }
        }
        // A repeat of a held key arrives with whatever modifiers are still down.
        if (!delivered)
            if (const auto found = held.find(keyCode); found != held.end())
                delivered = HotKeyEvent{hotKeyEventKind::pressed, found->second};
    } else if (const auto found = held.find(keyCode); found != held.end()) {
        delivered = HotKeyEvent{hotKeyEventKind::released, found->second};
        held.erase(found);
    }
    if (delivered && handler) {
        // A copy: the handler may replace itself.
        const Handler current = handler;
        current(&*delivered);
    }
}

void X11HotKeyService::refuse(const std::string& key, const std::string& why) {
    if (logged.emplace(key, why).second)
        log.error("hot key " + key + " refused: " + why);
}

} // namespace zentrivo::platform
