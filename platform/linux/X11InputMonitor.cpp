#include "X11InputMonitor.h"

#include "X11ErrorTrap.h"

// Qt before Xlib: Xlib's macros (None, Bool, KeyPress, ...) break Qt's headers.
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xrandr.h>
#include <cstdlib>
#include <utility>

namespace zentrivo::platform {

namespace {

constexpr EventMask keyTypes = maskOf(EventType::keyDown) | maskOf(EventType::keyUp);

std::string displayLabel(const char* displayName) {
    if (displayName && *displayName) {
        return displayName;
    }
    const char* fromEnvironment = std::getenv("DISPLAY");
    return fromEnvironment && *fromEnvironment ? fromEnvironment : "(DISPLAY is not set)";
}

} // namespace

X11InputMonitor::Opened X11InputMonitor::open(const char* displayName) {
    const std::string label = displayLabel(displayName);
    if (!QCoreApplication::instance() || !QAbstractEventDispatcher::instance()) {
        return {nullptr, "Zentrivo cannot watch input before its event loop exists."};
    }
    Display* display = XOpenDisplay(displayName && *displayName ? displayName : nullptr);
    if (!display) {
        return {nullptr, "Zentrivo cannot connect to the X server at " + label + "."};
    }
    Extensions extensions;
    int event = 0, error = 0;
    int major = 2, minor = 2;
    if (!XQueryExtension(display, "XInputExtension", &extensions.xinputOpcode, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success || major < 2 ||
        (major == 2 && minor < 2)) {
        XCloseDisplay(display);
        return {nullptr, "Zentrivo needs the XInput 2.2 extension, which the X server at " + label +
                             " does not offer."};
    }
    int xkbOpcode = 0, xkbError = 0;
    int xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &xkbOpcode, &extensions.xkbEventBase, &xkbError, &xkbMajor,
                           &xkbMinor)) {
        XCloseDisplay(display);
        return {nullptr, "Zentrivo needs the X keyboard extension (XKB), which the X server at " +
                             label + " does not offer."};
    }
    int randrEvent = 0, randrError = 0, randrMajor = 0, randrMinor = 0;
    if (XRRQueryExtension(display, &randrEvent, &randrError) &&
        XRRQueryVersion(display, &randrMajor, &randrMinor) &&
        (randrMajor > 1 || (randrMajor == 1 && randrMinor >= 3))) {
        extensions.randrEventBase = randrEvent;
    }
    std::unique_ptr<X11InputMonitor> monitor(new X11InputMonitor(display, extensions));
    monitor->start();
    return {std::move(monitor), {}};
}

X11InputMonitor::X11InputMonitor(Display* display, Extensions extensions)
    : display(display), extensions(extensions), root(RootWindow(display, DefaultScreen(display))),
      modifierKeys(256, false) {}

X11InputMonitor::~X11InputMonitor() {
    reader.reset();
    XCloseDisplay(display);
}

void X11InputMonitor::start() {
    constexpr unsigned int modifierParts =
        XkbModifierStateMask | XkbModifierBaseMask | XkbModifierLatchMask | XkbModifierLockMask;
    XkbSelectEventDetails(display, XkbUseCoreKbd, XkbStateNotify, modifierParts, modifierParts);
    XkbSelectEventDetails(display, XkbUseCoreKbd, XkbMapNotify, XkbModifierMapMask,
                          XkbModifierMapMask);
    XkbSelectEvents(display, XkbUseCoreKbd, XkbNewKeyboardNotifyMask, XkbNewKeyboardNotifyMask);
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) == Success) {
        translator.resetModifiers(state.mods);
    }
    readModifierKeys();
    if (extensions.randrEventBase >= 0) {
        XRRSelectInput(display, root,
                       RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask |
                           RROutputChangeNotifyMask);
    }
    readPrimaryScreen();
    readHeldButtons();
    updateRawSelection();
    XSync(display, False);

    // Any round trip (XQueryPointer above all) may queue events: the reader drains those too.
    reader = std::make_unique<XConnectionReader>(display, [this] { drain(); });
    drain();
}

std::optional<EventMonitorService::Token> X11InputMonitor::addGlobalMonitor(EventMask mask,
                                                                            GlobalHandler handler) {
    if (!handler) {
        return std::nullopt;
    }
    const Token token = nextToken++;
    globals.emplace(token, Global{mask, std::make_shared<const GlobalHandler>(std::move(handler))});
    updateRawSelection();
    return token;
}

std::optional<EventMonitorService::Token> X11InputMonitor::addLocalMonitor(EventMask mask,
                                                                           LocalHandler) {
    // Raw events already cover the program's own windows (see the class comment).
    const Token token = nextToken++;
    locals.emplace(token, mask);
    return token;
}

void X11InputMonitor::removeMonitor(Token token) {
    if (globals.erase(token) > 0) {
        updateRawSelection();
    }
    locals.erase(token);
}

Point X11InputMonitor::mouseLocation() const {
    lastReported = queryPointer();
    return *lastReported;
}

Point X11InputMonitor::queryPointer() const {
    Window rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    // On another X screen the root coordinates are still the pointer's, relative to that screen.
    XQueryPointer(display, root, &rootReturn, &child, &rootX, &rootY, &windowX, &windowY, &mask);
    return primary.toYUp({static_cast<double>(rootX), static_cast<double>(rootY)});
}

void X11InputMonitor::drain() {
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        handle(event);
        // A motion selection this event started checks for a missed movement before any later
        // event is delivered, so a button's drag follows its press.
        deliverOwedMotion();
    }
}

void X11InputMonitor::handle(XEvent& event) {
    if (event.type == GenericEvent && event.xcookie.extension == extensions.xinputOpcode) {
        if (!XGetEventData(display, &event.xcookie)) {
            return;
        }
        const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
        std::optional<InputEvent> translated;
        bool buttonChanged = false;
        switch (raw->evtype) {
        case XI_RawKeyPress:
        case XI_RawKeyRelease: {
            const bool modifier = raw->detail >= 0 &&
                                  static_cast<std::size_t>(raw->detail) < modifierKeys.size() &&
                                  modifierKeys[static_cast<std::size_t>(raw->detail)];
            translated = translator.key(modifier, raw->evtype == XI_RawKeyPress, raw->time);
            break;
        }
        case XI_RawButtonPress:
        case XI_RawButtonRelease:
            translated =
                translator.button(raw->detail, raw->evtype == XI_RawButtonPress, raw->time);
            buttonChanged = true;
            break;
        case XI_RawMotion:
            // Smooth scrolling arrives as raw motion on the scroll axes only; like the scroll
            // buttons it is no cursor movement. Axes 0 and 1 are x and y.
            if ((raw->valuators.mask_len > 0) &&
                (XIMaskIsSet(raw->valuators.mask, 0) || XIMaskIsSet(raw->valuators.mask, 1))) {
                translated = translator.motion(raw->time);
            }
            break;
        default:
            break;
        }
        XFreeEventData(display, &event.xcookie);
        if (buttonChanged) {
            // A held or released button changes the movement type, and with it who wants motion.
            updateRawSelection();
        }
        if (translated) {
            deliver(*translated);
        }
        return;
    }
    if (event.type == extensions.xkbEventBase) {
        const auto& xkb = reinterpret_cast<const XkbEvent&>(event);
        if (xkb.any.xkb_type == XkbStateNotify) {
            if (std::optional<InputEvent> translated =
                    translator.modifiersChanged(xkb.state.mods, xkb.state.time)) {
                deliver(*translated);
            }
        } else if (xkb.any.xkb_type == XkbMapNotify || xkb.any.xkb_type == XkbNewKeyboardNotify) {
            readModifierKeys();
        }
        return;
    }
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        readModifierKeys();
        return;
    }
    if (extensions.randrEventBase >= 0 &&
        (event.type == extensions.randrEventBase + RRScreenChangeNotify ||
         event.type == extensions.randrEventBase + RRNotify)) {
        XRRUpdateConfiguration(&event);
        readPrimaryScreen();
    }
}

void X11InputMonitor::deliver(const InputEvent& event) {
    // A handler may add or remove monitors (the modifier handler starts the movement monitor):
    // monitors added now see the next event, monitors removed now see nothing more.
    std::vector<std::pair<Token, std::shared_ptr<const GlobalHandler>>> targets;
    for (const auto& [token, global] : globals) {
        if (global.mask & maskOf(event.type)) {
            targets.emplace_back(token, global.handler);
        }
    }
    for (const auto& [token, handler] : targets) {
        const auto found = globals.find(token);
        if (found != globals.end() && found->second.handler == handler) {
            (*handler)(&event);
        }
    }
}

void X11InputMonitor::updateRawSelection() {
    EventMask monitored = 0;
    for (const auto& [token, global] : globals) {
        monitored |= global.mask;
    }
    const EventMask keys = monitored & keyTypes;
    const bool motion = translator.motionWanted(monitored);
    if (keys == selectedKeys && motion == motionSelected) {
        return;
    }
    const bool motionStarts = motion && !motionSelected;
    selectedKeys = keys;
    motionSelected = motion;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    if (motion) {
        XISetMask(bits, XI_RawMotion);
    }
    if (keys) {
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawKeyRelease);
    }
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    XISelectEvents(display, root, &mask, 1);
    if (!motionStarts) {
        XFlush(display);
        return;
    }
    // The round trip puts the selection in force: every movement from now on is reported. What
    // moved before is checked once the caller is done (it has usually just read the cursor, as
    // the trigger's origin): after the event being handled, or from the event loop when no event
    // is; events the round trip queued are drained before the loop sleeps.
    XSync(display, False);
    if (reader && !std::exchange(motionCheckPending, true)) {
        QMetaObject::invokeMethod(
            reader->context(), [this] { deliverOwedMotion(); }, Qt::QueuedConnection);
    }
}

void X11InputMonitor::deliverOwedMotion() {
    if (!std::exchange(motionCheckPending, false)) {
        return;
    }
    // Only a program that has read the cursor can have missed it moving; an unchanged cursor owes
    // nothing, so a trigger held still makes no event.
    if (!motionSelected || !lastReported || queryPointer() == *lastReported) {
        return;
    }
    deliver(translator.motion(translator.latestXTime()));
}

void X11InputMonitor::readModifierKeys() {
    std::fill(modifierKeys.begin(), modifierKeys.end(), false);
    XModifierKeymap* map = XGetModifierMapping(display);
    if (!map) {
        return;
    }
    for (int i = 0; i < 8 * map->max_keypermod; ++i) {
        const KeyCode code = map->modifiermap[i];
        if (code != 0) {
            modifierKeys[code] = true;
        }
    }
    XFreeModifiermap(map);
}

void X11InputMonitor::readPrimaryScreen() {
    const int screen = DefaultScreen(display);
    PrimaryScreen result{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
    if (extensions.randrEventBase >= 0) {
        const X11ErrorTrap trap;
        const RROutput output = XRRGetOutputPrimary(display, root);
        XRRScreenResources* resources =
            output ? XRRGetScreenResourcesCurrent(display, root) : nullptr;
        if (resources) {
            if (XRROutputInfo* info = XRRGetOutputInfo(display, resources, output)) {
                if (info->crtc != 0 && info->connection != RR_Disconnected) {
                    if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, info->crtc)) {
                        if (crtc->width > 0 && crtc->height > 0) {
                            result = {crtc->x, crtc->y, static_cast<int>(crtc->width),
                                      static_cast<int>(crtc->height)};
                        }
                        XRRFreeCrtcInfo(crtc);
                    }
                }
                XRRFreeOutputInfo(info);
            }
            XRRFreeScreenResources(resources);
        }
    }
    primary = result;
}

void X11InputMonitor::readHeldButtons() {
    int pointer = 0;
    if (!XIGetClientPointer(display, 0, &pointer)) {
        return;
    }
    Window rootReturn = 0, child = 0;
    double rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    XIButtonState buttons{};
    XIModifierState modifiers{};
    XIGroupState group{};
    const X11ErrorTrap trap;
    if (XIQueryPointer(display, pointer, root, &rootReturn, &child, &rootX, &rootY, &windowX,
                       &windowY, &buttons, &modifiers, &group)) {
        std::uint32_t held = 0;
        for (int button = 1; button < 32 && button < buttons.mask_len * 8; ++button) {
            if (XIMaskIsSet(buttons.mask, button)) {
                held |= std::uint32_t{1} << button;
            }
        }
        translator.resetButtons(held);
    }
    if (buttons.mask) {
        XFree(buttons.mask);
    }
}

} // namespace zentrivo::platform
