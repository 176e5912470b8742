#pragma once

#include "X11KeyCombination.h"
#include "XConnectionReader.h"
#include "app/core/Log.h"
#include "app/input/HotKeyService.h"

#include <map>
#include <memory>
#include <set>
#include <utility>

typedef struct _XDisplay Display;
union _XEvent;

namespace zentrivo::platform {

/// System-wide hot keys on X11: each key is a passive grab (`XGrabKey`) on the root window of a
/// private Xlib connection, read from the Qt event loop of the main thread.
///
/// - A key is grabbed with its modifiers alone and with Caps Lock, Num Lock and both, so the lock
///   keys change nothing; its key code comes from the current keymap and follows keymap changes.
/// - Another client's grab of any of those variants (`BadAccess`) refuses the key: the variants
///   already taken are released, none is returned, and the log names the key once per run.
/// - A press is a pressed event and the release of that key a released event, whatever modifiers
///   are let go first. Auto-repeat is detectable: a held key repeats its pressed event and is
///   released once.
///
/// Create it on the main thread after the Qt application object; use and destroy it there. When
/// the X server cannot be reached, one log line says so and every key is refused.
class X11HotKeyService final : public HotKeyService {
public:
    /// Connects to `displayName`, or to $DISPLAY when it is null or empty.
    explicit X11HotKeyService(Log& log, const char* displayName = nullptr);
    ~X11HotKeyService() override;

    std::optional<HotKeyRef> registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers,
                                            EventHotKeyID hotKeyId) override;
    void unregisterHotKey(HotKeyRef ref) override;
    void setEventHandler(Handler handler) override;

private:
    struct Registration {
        X11KeyCombination combination;
        EventHotKeyID hotKeyId;
        /// The grabbed key code; 0 while the current keymap has no key for it or it is refused.
        unsigned int keyCode = 0;
    };

    /// Grabs every variant; on any refusal releases them all and answers false.
    bool grab(unsigned int keyCode, const X11KeyCombination& combination);
    void ungrab(unsigned int keyCode, const X11KeyCombination& combination);
    /// The key code of `combination`'s keysym in the current keymap, logging when there is none.
    unsigned int keyCodeFor(const X11KeyCombination& combination);
    void readNumLockMask();
    void keymapChanged();
    void drain();
    void handle(_XEvent& event);
    void refuse(const std::string& key, const std::string& why);

    Log& log;
    Display* display = nullptr;
    unsigned long root = 0;
    unsigned int numLockMask = 0;
    std::map<HotKeyRef, Registration> registrations;
    /// The keys pressed through a grab, by key code, until their release.
    std::map<unsigned int, EventHotKeyID> held;
    /// Refusals already logged, so a key registered again and again is named once.
    std::set<std::pair<std::string, std::string>> logged;
    Handler handler;
    HotKeyRef lastRef = 0;
    std::unique_ptr<XConnectionReader> reader;
};

} // namespace zentrivo::platform
