#pragma once

#include "PrimaryScreen.h"
#include "X11EventTranslator.h"
#include "XConnectionReader.h"
#include "app/core/CursorLocation.h"
#include "app/input/EventMonitorService.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _XDisplay Display;
union _XEvent;

namespace zentrivo::platform {

/// The desktop's input as the X server reports it, on a private Xlib connection read from the Qt
/// event loop of the main thread:
///
/// - global monitors receive XInput2 raw key, button and motion events of all master devices
///   (they keep arriving while another client holds a grab), with the modifier flags of the
///   latest `XkbStateNotify`, which arrives in order with the raw events and is exact where a
///   query of the state "now" is not;
/// - local monitors are accepted and never called: the raw events already include the ones sent
///   to the program's own windows, so a local monitor would only see each of them twice;
/// - the cursor location is read with `XQueryPointer` whenever it is asked for (never summed up
///   from motion), in y-up coordinates of the primary screen (the XRandR primary output, else
///   the whole of screen 0), which follows screen changes.
///
/// Raw key and motion events are selected only while some monitor wants them, so typing and
/// moving the mouse cost nothing while only the trigger is watched: motion is read while a
/// monitor wants the movement type the held buttons make (the movement monitor of a held trigger,
/// or a drag of a watched button). Buttons are always selected, since the movement type depends
/// on them. A movement made while motion was not selected is not lost: when the selection starts,
/// a cursor that is no longer where the program last read it makes one motion event.
///
/// Create it on the main thread, after the Qt application object, with `open`; use and destroy
/// it there too.
class X11InputMonitor final : public EventMonitorService, public CursorLocation {
public:
    /// `monitor` on success; otherwise none and `error`, one line for the user ("Zentrivo needs
    /// the XInput 2.2 extension, which the X server at :0 does not offer.").
    struct Opened {
        std::unique_ptr<X11InputMonitor> monitor;
        std::string error;
    };
    /// Connects to `displayName`, or to $DISPLAY when it is null or empty, and checks for
    /// XInput 2.2 and the X keyboard extension. Never throws.
    static Opened open(const char* displayName = nullptr);

    ~X11InputMonitor() override;

    std::optional<Token> addGlobalMonitor(EventMask mask, GlobalHandler handler) override;
    std::optional<Token> addLocalMonitor(EventMask mask, LocalHandler handler) override;
    void removeMonitor(Token token) override;

    Point mouseLocation() const override;

    /// The primary screen as last reported by the server; the window adapter converts with it.
    const PrimaryScreen& primaryScreen() const { return primary; }
    /// The current modifier flags in the device-independent layout.
    std::uint64_t modifierFlags() const { return translator.currentFlags(); }

private:
    struct Extensions {
        int xinputOpcode = 0;
        int xkbEventBase = 0;
        int randrEventBase = -1;
    };
    struct Global {
        EventMask mask;
        std::shared_ptr<const GlobalHandler> handler;
    };

    X11InputMonitor(Display* display, Extensions extensions);

    void start();
    void drain();
    void handle(_XEvent& event);
    void deliver(const InputEvent& event);
    void updateRawSelection();
    void deliverOwedMotion();
    Point queryPointer() const;
    void readModifierKeys();
    void readPrimaryScreen();
    void readHeldButtons();

    Display* display;
    Extensions extensions;
    unsigned long root = 0;
    X11EventTranslator translator;
    PrimaryScreen primary;
    /// Keycodes bound to a modifier; their presses report a flags change, not a key.
    std::vector<bool> modifierKeys;
    std::map<Token, Global> globals;
    std::map<Token, EventMask> locals;
    Token nextToken = 1;
    /// What is selected now: the key types a monitor wants, and whether motion is read.
    EventMask selectedKeys = ~EventMask{0};
    bool motionSelected = true;
    /// Set from a motion selection's start until its owed movement has been checked.
    bool motionCheckPending = false;
    /// The cursor as the program last read it; none before the first read.
    mutable std::optional<Point> lastReported;
    std::unique_ptr<XConnectionReader> reader;
};

} // namespace zentrivo::platform
