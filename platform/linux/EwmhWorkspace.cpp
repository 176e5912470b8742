#include "EwmhWorkspace.h"

#include "X11ErrorTrap.h"

// Qt before Xlib: Xlib's macros (None, Bool, ...) break Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <climits>
#include <unistd.h>

namespace zentrivo::platform {

namespace {

constexpr long wmStateIconic = 3; // ICCCM IconicState

std::string hostName() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

/// The file a process runs; empty when it has ended or is not ours to read.
std::string executableOf(std::int64_t pid) {
    if (pid <= 0)
        return {};
    char resolved[PATH_MAX];
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    return ::realpath(link.c_str(), resolved) ? std::string(resolved) : std::string();
}

} // namespace

struct EwmhWorkspace::Atoms {
    Atom supportingWmCheck, clientList, clientListStacking, activeWindow, wmStateNet, skipTaskbar,
        hidden, windowType, typeNormal, pid, gtkApplicationId, wmState, clockProperty;
};

EwmhWorkspace::EwmhWorkspace(Workspace& launcher, MainQueue& mainQueue, Log& log,
                             const char* displayName)
    : launcher(launcher), mainQueue(mainQueue), log(log),
      display(XOpenDisplay(displayName && *displayName ? displayName : nullptr)) {
    if (!display) {
        log.error("cannot connect to the X server: running applications are unknown");
        return;
    }
    root = DefaultRootWindow(display);
    const char* names[] = {"_NET_SUPPORTING_WM_CHECK",
                           "_NET_CLIENT_LIST",
                           "_NET_CLIENT_LIST_STACKING",
                           "_NET_ACTIVE_WINDOW",
                           "_NET_WM_STATE",
                           "_NET_WM_STATE_SKIP_TASKBAR",
                           "_NET_WM_STATE_HIDDEN",
                           "_NET_WM_WINDOW_TYPE",
                           "_NET_WM_WINDOW_TYPE_NORMAL",
                           "_NET_WM_PID",
                           "_GTK_APPLICATION_ID",
                           "WM_STATE",
                           "_ZENTRIVO_SERVER_TIME"};
    Atom values[std::size(names)];
    XInternAtoms(display, const_cast<char**>(names), std::size(names), False, values);
    atoms = std::make_unique<Atoms>(Atoms{values[0], values[1], values[2], values[3], values[4],
                                          values[5], values[6], values[7], values[8], values[9],
                                          values[10], values[11], values[12]});
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.event_mask = PropertyChangeMask;
    clock = XCreateWindow(display, root, -1, -1, 1, 1, 0, 0, InputOnly, CopyFromParent,
                          CWOverrideRedirect | CWEventMask, &attributes);
    checkWindowManager();

    reader = std::make_unique<XConnectionReader>(display, [this] { drain(); });
}

EwmhWorkspace::~EwmhWorkspace() {
    reader.reset();
    if (display)
        XCloseDisplay(display);
}

// MARK: Reading the desktop

namespace {

struct Property {
    Atom type = 0;
    int format = 0;
    std::vector<unsigned long> items; // format 32
    std::string bytes;                // format 8
};

Property readProperty(Display* display, Window window, Atom name) {
    Property result;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const X11ErrorTrap trap;
    if (XGetWindowProperty(display, window, name, 0, 1 << 16, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) != Success ||
        trap.hasFailed() || !data) {
        if (data)
            XFree(data);
        return result;
    }
    result.type = type;
    result.format = format;
    if (format == 32) {
        // Xlib hands 32-bit items over as longs.
        const auto* longs = reinterpret_cast<const unsigned long*>(data);
        result.items.assign(longs, longs + count);
    } else if (format == 8) {
        result.bytes.assign(reinterpret_cast<const char*>(data), count);
    }
    XFree(data);
    return result;
}

unsigned long firstItem(const Property& property) {
    return property.items.empty() ? 0 : property.items.front();
}

} // namespace

void EwmhWorkspace::checkWindowManager() const {
    if (!display)
        return;
    const unsigned long check = firstItem(readProperty(display, root, atoms->supportingWmCheck));
    // A window manager that ended leaves its root property behind; its check window is gone then.
    const bool valid =
        check != 0 && firstItem(readProperty(display, check, atoms->supportingWmCheck)) == check;
    const unsigned long now = valid ? check : 0;
    if (wmKnown && now == wmCheck)
        return;
    const bool first = !wmKnown;
    wmKnown = true;
    if (now != 0) {
        // Its destruction is the end (or restart) of the window manager.
        const X11ErrorTrap trap;
        XSelectInput(display, now, StructureNotifyMask);
        XSync(display, False);
        if (!first || wmCheck != 0)
            log.log("window manager found: running applications are known again");
    } else if (first || wmCheck != 0) {
        log.log("no EWMH window manager (_NET_SUPPORTING_WM_CHECK): no application is known "
                "to run until one starts");
    }
    wmCheck = now;
    identities.clear();
    updateRootSelection();
}

void EwmhWorkspace::updateRootSelection() const {
    // Focus changes rewrite root properties all the time; an idle Zentrivo must not wake for them.
    const bool watch = wmCheck == 0 || !observers.empty();
    XSelectInput(display, root, watch ? PropertyChangeMask : NoEventMask);
    XFlush(display);
}

EwmhWorkspace::Identity EwmhWorkspace::readIdentity(unsigned long window) const {
    Identity identity;
    WindowIdentity match;
    match.gtkApplicationId = readProperty(display, window, atoms->gtkApplicationId).bytes;
    const std::string wmClass = readProperty(display, window, XA_WM_CLASS).bytes;
    const auto split = wmClass.find('\0');
    match.wmClassInstance = wmClass.substr(0, split);
    if (split != std::string::npos)
        match.wmClassClass = wmClass.substr(split + 1, wmClass.find('\0', split + 1) - split - 1);
    identity.wmClass = match.wmClassClass.empty() ? match.wmClassInstance : match.wmClassClass;
    identity.pid = static_cast<std::int64_t>(firstItem(readProperty(display, window, atoms->pid)));
    // A process id means something on this machine only.
    const std::string machine = readProperty(display, window, XA_WM_CLIENT_MACHINE).bytes;
    static const std::string host = hostName();
    if (!machine.empty() && std::string(machine.c_str()) != host)
        identity.pid = 0;
    match.executable = executableOf(identity.pid);
    identity.desktopId = matchDesktopId(match, entries.matchData());

    const Property types = readProperty(display, window, atoms->windowType);
    if (!types.items.empty())
        identity.normal = types.items.front() == atoms->typeNormal;
    else // untyped: a transient window is a dialog
        identity.normal = firstItem(readProperty(display, window, XA_WM_TRANSIENT_FOR)) == 0;
    return identity;
}

EwmhWorkspace::ClientWindow EwmhWorkspace::readWindow(unsigned long id) const {
    if (identitiesGeneration != entries.generation()) {
        identities.clear();
        identitiesGeneration = entries.generation();
    }
    ClientWindow window{id, {}, {}, true, false};
    if (const auto cached = identities.find(id); cached != identities.end()) {
        window.identity = cached->second;
    } else {
        window.identity = readIdentity(id);
        // Some programs name their windows only after mapping them: keep only what matched.
        if (window.identity.desktopId)
            identities.emplace(id, window.identity);
    }
    const Identity& identity = window.identity;
    window.appKey = identity.desktopId ? "id:" + *identity.desktopId
                    : identity.pid     ? "pid:" + std::to_string(identity.pid)
                                       : "window:" + std::to_string(id);
    const Property state = readProperty(display, id, atoms->wmStateNet);
    const auto has = [&](Atom atom) {
        return std::find(state.items.begin(), state.items.end(), atom) != state.items.end();
    };
    window.counts = !has(atoms->skipTaskbar);
    const Property icccm = readProperty(display, id, atoms->wmState);
    window.minimised =
        icccm.items.empty() ? has(atoms->hidden) : icccm.items.front() == wmStateIconic;
    return window;
}

EwmhWorkspace::Snapshot EwmhWorkspace::readSnapshot() const {
    Snapshot snapshot;
    // The window manager's start and end arrive as events (see `checkWindowManager`).
    if (!display || wmCheck == 0)
        return snapshot;
    std::vector<unsigned long> clients =
        readProperty(display, root, atoms->clientListStacking).items;
    if (clients.empty())
        clients = readProperty(display, root, atoms->clientList).items;
    // Both lists go from the bottom (or the oldest) to the top.
    std::reverse(clients.begin(), clients.end());
    snapshot.active = firstItem(readProperty(display, root, atoms->activeWindow));
    for (unsigned long id : clients)
        snapshot.windows.push_back(readWindow(id));
    // Forget the windows that have gone.
    std::erase_if(identities, [&](const auto& entry) {
        return std::find(clients.begin(), clients.end(), entry.first) == clients.end();
    });
    return snapshot;
}

bool EwmhWorkspace::isRegular(const ClientWindow& window) const {
    // Zentrivo's own windows never make it an application the user was working in.
    const Identity& identity = window.identity;
    return identity.desktopId && identity.normal && identity.pid != ::getpid();
}

RunningApp EwmhWorkspace::describe(const ClientWindow& window) const {
    const Identity& identity = window.identity;
    RunningApp app;
    app.handle = identity.pid;
    app.activationPolicy =
        isRegular(window) ? ActivationPolicy::regular : ActivationPolicy::accessory;
    if (identity.desktopId) {
        app.bundleIdentifier = identity.desktopId;
        if (const auto* entry = entries.find(*identity.desktopId)) {
            app.bundlePath = entry->path;
            app.localizedName = entry->name;
        }
    } else if (!identity.wmClass.empty()) {
        app.localizedName = identity.wmClass;
    }
    return app;
}

std::vector<RunningApp> EwmhWorkspace::applications(const Snapshot& snapshot) const {
    std::vector<RunningApp> apps;
    std::vector<std::string> keys;
    for (const ClientWindow& window : snapshot.windows) {
        if (!window.counts)
            continue;
        const auto found = std::find(keys.begin(), keys.end(), window.appKey);
        if (found == keys.end()) {
            // The top-most window's process stands for the application.
            keys.push_back(window.appKey);
            apps.push_back(describe(window));
        } else if (isRegular(window)) {
            apps[static_cast<std::size_t>(found - keys.begin())].activationPolicy =
                ActivationPolicy::regular;
        }
    }
    return apps;
}

std::optional<RunningApp> EwmhWorkspace::frontmost(const Snapshot& snapshot) const {
    const auto active = std::find_if(snapshot.windows.begin(), snapshot.windows.end(),
                                     [&](const auto& w) { return w.id == snapshot.active; });
    if (active == snapshot.windows.end())
        return std::nullopt;
    // In the order of `applications`, which follows the same keys.
    std::vector<std::string> keys;
    for (const ClientWindow& window : snapshot.windows)
        if (window.counts && std::find(keys.begin(), keys.end(), window.appKey) == keys.end())
            keys.push_back(window.appKey);
    const auto index = std::find(keys.begin(), keys.end(), active->appKey);
    if (index == keys.end())
        return std::nullopt; // only skip-taskbar windows: no application the user works in
    return applications(snapshot)[static_cast<std::size_t>(index - keys.begin())];
}

std::optional<RunningApp> EwmhWorkspace::frontmostApplication() const {
    if (!display || wmCheck == 0)
        return std::nullopt;
    // The common case needs the active window alone: a taskbar window that makes its
    // application regular by itself.
    const unsigned long active = firstItem(readProperty(display, root, atoms->activeWindow));
    if (active == 0)
        return std::nullopt;
    if (const ClientWindow window = readWindow(active); window.counts && isRegular(window))
        return describe(window);
    return frontmost(readSnapshot());
}

std::vector<RunningApp> EwmhWorkspace::runningApplications() const {
    return applications(readSnapshot());
}

std::string EwmhWorkspace::keyOf(const RunningApp& app) {
    if (app.bundleIdentifier)
        return "id:" + *app.bundleIdentifier;
    return app.handle != 0 ? "pid:" + std::to_string(app.handle) : std::string();
}

std::vector<const EwmhWorkspace::ClientWindow*>
EwmhWorkspace::windowsOf(const Snapshot& snapshot, const RunningApp& app) const {
    const std::string key = keyOf(app);
    std::vector<const ClientWindow*> windows;
    for (const ClientWindow& window : snapshot.windows)
        if (!key.empty() && window.counts && window.appKey == key)
            windows.push_back(&window);
    return windows;
}

// MARK: Acting on windows

unsigned long EwmhWorkspace::serverTime() {
    // An empty append changes nothing but makes the server stamp a PropertyNotify with its time.
    XChangeProperty(display, clock, atoms->clockProperty, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    XIfEvent(
        display, &event,
        [](Display*, XEvent* e, XPointer arg) -> Bool {
            return e->type == PropertyNotify &&
                   e->xproperty.window == *reinterpret_cast<Window*>(arg);
        },
        reinterpret_cast<XPointer>(&clock));
    return event.xproperty.time;
}

void EwmhWorkspace::activateWindow(const ClientWindow& window) {
    const X11ErrorTrap trap;
    if (window.minimised) // ICCCM's way back to the normal state, for managers that need it
        XMapWindow(display, window.id);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window.id;
    event.xclient.message_type = atoms->activeWindow;
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2; // from a pager: the user asked for it
    event.xclient.data.l[1] = static_cast<long>(serverTime());
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XSync(display, False);
}

void EwmhWorkspace::activate(const RunningApp& app) {
    activate(readSnapshot(), app);
}

void EwmhWorkspace::activate(const Snapshot& snapshot, const RunningApp& app) {
    const auto windows = windowsOf(snapshot, app);
    if (windows.empty())
        return;
    const auto shown = std::find_if(windows.begin(), windows.end(),
                                    [](const ClientWindow* w) { return !w->minimised; });
    activateWindow(shown != windows.end() ? **shown : *windows.front());
}

void EwmhWorkspace::hide(const RunningApp& app) {
    const Snapshot snapshot = readSnapshot();
    const X11ErrorTrap trap;
    for (const ClientWindow* window : windowsOf(snapshot, app))
        if (window->identity.normal && !window->minimised)
            XIconifyWindow(display, window->id, DefaultScreen(display));
    XSync(display, False);
}

// MARK: Launching

std::optional<std::string> EwmhWorkspace::applicationPath(std::string_view bundleId) const {
    return launcher.applicationPath(bundleId);
}

void EwmhWorkspace::openApplication(const std::string& path, OpenCompletion completion) {
    const Snapshot snapshot = readSnapshot();
    for (const RunningApp& app : applications(snapshot)) {
        if (!app.bundlePath || *app.bundlePath != path)
            continue;
        // Like a dock: a running application comes forward, with its most recent window restored
        // when all are minimised; only one without windows is started again.
        activate(snapshot, app);
        if (completion)
            mainQueue.post([completion = std::move(completion)] { completion(std::nullopt); });
        return;
    }
    launcher.openApplication(path, std::move(completion));
}

bool EwmhWorkspace::openFile(const std::string& path) {
    return launcher.openFile(path);
}

bool EwmhWorkspace::openURLs(const std::vector<std::string>& urls,
                             const std::string& applicationPath) {
    return launcher.openURLs(urls, applicationPath);
}

std::optional<InstalledApp> EwmhWorkspace::applicationAt(const std::string& path) const {
    return launcher.applicationAt(path);
}

// MARK: Activation

Workspace::Token
EwmhWorkspace::addActivationObserver(std::function<void(const RunningApp&)> observer) {
    const Token token = nextToken++;
    if (!observer)
        return token;
    if (observers.empty() && display) {
        const auto front = frontmostApplication();
        activeKey = front ? keyOf(*front) : std::string();
    }
    observers.emplace(
        token, std::make_shared<const std::function<void(const RunningApp&)>>(std::move(observer)));
    if (display)
        updateRootSelection();
    return token;
}

void EwmhWorkspace::removeActivationObserver(Token token) {
    if (observers.erase(token) > 0 && display)
        updateRootSelection();
}

void EwmhWorkspace::drain() {
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        handle(event);
    }
}

void EwmhWorkspace::handle(XEvent& event) {
    if (event.type == DestroyNotify && event.xdestroywindow.window == wmCheck && wmCheck != 0) {
        checkWindowManager();
    } else if (event.type == PropertyNotify && event.xproperty.window == root) {
        if (event.xproperty.atom == atoms->supportingWmCheck)
            checkWindowManager();
        else if (event.xproperty.atom == atoms->activeWindow && !observers.empty())
            activationMayHaveChanged();
    }
}

void EwmhWorkspace::activationMayHaveChanged() {
    const auto front = frontmostApplication();
    if (!front)
        return;
    const std::string key = keyOf(*front);
    if (key == activeKey)
        return;
    activeKey = key;
    // An observer may remove itself or others while being told.
    const auto targets = observers;
    for (const auto& [token, observer] : targets) {
        const auto still = observers.find(token);
        if (still != observers.end() && still->second == observer)
            (*observer)(*front);
    }
}

} // namespace zentrivo::platform
