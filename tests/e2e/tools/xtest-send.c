/*
 * xtest-send: drives an X server with exact synthetic input for end-to-end tests.
 *
 *   xtest-send COMMAND...        commands as words on the command line
 *   xtest-send                   one command per line on standard input ('#' starts a comment)
 *
 * Commands:
 *   keydown KEYSYM | keyup KEYSYM | key KEYSYM      (key = down then up, one release only)
 *   buttondown N | buttonup N | click N
 *   move DX DY                                       relative motion (raw motion events follow)
 *   moveto X Y                                       absolute motion on screen 0
 *   sync                                             round trip to the server
 *   waitmap NAME TIMEOUT_MS | waitunmap NAME TIMEOUT_MS
 *       wait until a window whose WM_CLASS instance or class, WM_NAME or _NET_WM_NAME equals NAME
 *       is viewable (waitmap), or until none is (waitunmap)
 *   stamp                                            prints "stamp SERVER_MS MONOTONIC_US"
 *
 * Every command is synchronised with the server before the next one is read, so the events reach
 * clients in the order given. There is deliberately no sleep command: wait for what you expect.
 *
 * Exit status: 0 when every command succeeded, 1 when a wait timed out, 2 for bad usage or an
 * unusable display.
 */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <errno.h>
#include <limits.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { exitOk = 0, exitTimeout = 1, exitUsage = 2 };

static Display* dpy;
static Atom netWmName;
static Atom utf8String;

static int fail(const char* message, const char* detail) {
    fprintf(stderr, "xtest-send: %s%s%s\n", message, detail ? ": " : "", detail ? detail : "");
    return exitUsage;
}

static int parseInt(const char* text, long* out) {
    char* end = NULL;
    errno = 0;
    long value = strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < INT_MIN || value > INT_MAX) {
        return 0;
    }
    *out = value;
    return 1;
}

static long long monotonicMicros(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

static int keycodeFor(const char* name, KeyCode* out) {
    KeySym sym = XStringToKeysym(name);
    if (sym == NoSymbol) {
        return 0;
    }
    KeyCode code = XKeysymToKeycode(dpy, sym);
    if (code == 0) {
        return 0;
    }
    *out = code;
    return 1;
}

static int sendKey(const char* name, int down, int up) {
    KeyCode code;
    if (!keycodeFor(name, &code)) {
        return fail("no key for keysym", name);
    }
    if (down) {
        XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    }
    if (up) {
        XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    }
    XSync(dpy, False);
    return exitOk;
}

static int sendButton(const char* number, int down, int up) {
    long button;
    if (!parseInt(number, &button) || button < 1 || button > 255) {
        return fail("bad button number", number);
    }
    if (down) {
        XTestFakeButtonEvent(dpy, (unsigned)button, True, CurrentTime);
    }
    if (up) {
        XTestFakeButtonEvent(dpy, (unsigned)button, False, CurrentTime);
    }
    XSync(dpy, False);
    return exitOk;
}

static int sendMotion(const char* xText, const char* yText, int relative) {
    long x, y;
    if (!parseInt(xText, &x) || !parseInt(yText, &y)) {
        return fail("bad coordinates", xText);
    }
    if (relative) {
        XTestFakeRelativeMotionEvent(dpy, (int)x, (int)y, CurrentTime);
    } else {
        XTestFakeMotionEvent(dpy, 0, (int)x, (int)y, CurrentTime);
    }
    XSync(dpy, False);
    return exitOk;
}

/* The X server's current time: the timestamp of a property change on a window of our own. */
static int printStamp(void) {
    Window window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(dpy, window, PropertyChangeMask);
    Atom atom = XInternAtom(dpy, "ZENTRIVO_STAMP", False);
    unsigned char byte = 0;
    XChangeProperty(dpy, window, atom, XA_INTEGER, 8, PropModeReplace, &byte, 1);
    XEvent event;
    XWindowEvent(dpy, window, PropertyChangeMask, &event);
    long long mono = monotonicMicros();
    XDestroyWindow(dpy, window);
    XSync(dpy, False);
    printf("stamp %lu %lld\n", (unsigned long)event.xproperty.time, mono);
    fflush(stdout);
    return exitOk;
}

static int textPropertyEquals(Window window, Atom property, Atom type, const char* name) {
    Atom actualType;
    int format;
    unsigned long count, after;
    unsigned char* data = NULL;
    if (XGetWindowProperty(dpy, window, property, 0, 1024, False, type, &actualType, &format,
                           &count, &after, &data) != Success) {
        return 0;
    }
    int equal = data && format == 8 && actualType == type && strlen(name) == count &&
                memcmp(data, name, count) == 0;
    if (data) {
        XFree(data);
    }
    return equal;
}

static int windowMatches(Window window, const char* name) {
    XClassHint hint = {NULL, NULL};
    int match = 0;
    if (XGetClassHint(dpy, window, &hint)) {
        match = (hint.res_name && strcmp(hint.res_name, name) == 0) ||
                (hint.res_class && strcmp(hint.res_class, name) == 0);
        if (hint.res_name) {
            XFree(hint.res_name);
        }
        if (hint.res_class) {
            XFree(hint.res_class);
        }
    }
    return match || textPropertyEquals(window, XA_WM_NAME, XA_STRING, name) ||
           textPropertyEquals(window, netWmName, utf8String, name);
}

/* Windows come and go while we look; errors about vanished ones are expected and harmless. */
static int ignoreErrors(Display* display, XErrorEvent* error) {
    (void)display;
    (void)error;
    return 0;
}

/* Whether a matching window in the tree below `window` is viewable (mapped with all its
 * ancestors mapped), so that frames added by a window manager do not matter. */
static int viewableMatchBelow(Window window, const char* name) {
    Window root, parent, *children = NULL;
    unsigned int count = 0;
    if (!XQueryTree(dpy, window, &root, &parent, &children, &count)) {
        return 0;
    }
    int found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(dpy, children[i], &attributes) ||
            attributes.map_state != IsViewable) {
            continue;
        }
        found = windowMatches(children[i], name) || viewableMatchBelow(children[i], name);
    }
    if (children) {
        XFree(children);
    }
    return found;
}

static int waitForMapState(const char* name, const char* timeoutText, int wantViewable) {
    long timeoutMs;
    if (!parseInt(timeoutText, &timeoutMs) || timeoutMs < 0) {
        return fail("bad timeout", timeoutText);
    }
    Window root = DefaultRootWindow(dpy);
    /* Structure changes anywhere below the root wake us up; the tree is then looked at again. A
     * window mapped inside an already mapped frame reports only to that frame, so the wait also
     * looks again at short intervals. */
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XErrorHandler previous = XSetErrorHandler(ignoreErrors);
    long long deadline = monotonicMicros() + timeoutMs * 1000LL;
    int result = exitTimeout;
    for (;;) {
        XSync(dpy, False);
        while (XPending(dpy)) {
            XEvent event;
            XNextEvent(dpy, &event);
        }
        if (viewableMatchBelow(root, name) == wantViewable) {
            result = exitOk;
            break;
        }
        long long left = deadline - monotonicMicros();
        if (left <= 0) {
            break;
        }
        struct pollfd fd = {ConnectionNumber(dpy), POLLIN, 0};
        int slice = left > 20000 ? 20 : (int)((left + 999) / 1000);
        poll(&fd, 1, slice);
    }
    XSelectInput(dpy, root, NoEventMask);
    XSync(dpy, False);
    XSetErrorHandler(previous);
    if (result == exitTimeout) {
        fprintf(stderr, "xtest-send: timed out after %ld ms waiting for %s to be %s\n", timeoutMs,
                name, wantViewable ? "mapped" : "unmapped");
    }
    return result;
}

/* Runs the command at words[0]; sets *used to the number of words it took. */
static int runCommand(char** words, int count, int* used) {
    static const struct {
        const char* name;
        int arguments;
    } table[] = {
        {"keydown", 1},  {"keyup", 1}, {"key", 1},     {"buttondown", 1},
        {"buttonup", 1}, {"click", 1}, {"move", 2},    {"moveto", 2},
        {"sync", 0},     {"stamp", 0}, {"waitmap", 2}, {"waitunmap", 2},
    };
    const char* command = words[0];
    int arguments = -1;
    for (size_t i = 0; i < sizeof table / sizeof table[0]; ++i) {
        if (strcmp(table[i].name, command) == 0) {
            arguments = table[i].arguments;
        }
    }
    if (arguments < 0) {
        return fail("unknown command", command);
    }
    if (count < arguments + 1) {
        return fail("missing arguments for", command);
    }
    *used = arguments + 1;
    char** a = words + 1;
    if (strcmp(command, "keydown") == 0) {
        return sendKey(a[0], 1, 0);
    } else if (strcmp(command, "keyup") == 0) {
        return sendKey(a[0], 0, 1);
    } else if (strcmp(command, "key") == 0) {
        return sendKey(a[0], 1, 1);
    } else if (strcmp(command, "buttondown") == 0) {
        return sendButton(a[0], 1, 0);
    } else if (strcmp(command, "buttonup") == 0) {
        return sendButton(a[0], 0, 1);
    } else if (strcmp(command, "click") == 0) {
        return sendButton(a[0], 1, 1);
    } else if (strcmp(command, "move") == 0) {
        return sendMotion(a[0], a[1], 1);
    } else if (strcmp(command, "moveto") == 0) {
        return sendMotion(a[0], a[1], 0);
    } else if (strcmp(command, "sync") == 0) {
        XSync(dpy, False);
        return exitOk;
    } else if (strcmp(command, "stamp") == 0) {
        return printStamp();
    } else if (strcmp(command, "waitmap") == 0) {
        return waitForMapState(a[0], a[1], 1);
    }
    return waitForMapState(a[0], a[1], 0);
}

static int runWords(char** words, int count) {
    int at = 0;
    while (at < count) {
        int used = 0;
        int status = runCommand(words + at, count - at, &used);
        if (status != exitOk) {
            return status;
        }
        at += used;
    }
    return exitOk;
}

static int runLines(FILE* input) {
    char line[4096];
    while (fgets(line, sizeof line, input)) {
        char* comment = strchr(line, '#');
        if (comment) {
            *comment = '\0';
        }
        char* words[8];
        int count = 0;
        for (char* word = strtok(line, " \t\r\n"); word; word = strtok(NULL, " \t\r\n")) {
            if (count == (int)(sizeof words / sizeof words[0])) {
                return fail("too many words on a line", words[0]);
            }
            words[count++] = word;
        }
        if (count == 0) {
            continue;
        }
        int status = runWords(words, count);
        if (status != exitOk) {
            return status;
        }
    }
    return exitOk;
}

int main(int argc, char** argv) {
    if (argc > 1 && (strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "--help") == 0)) {
        printf("usage: xtest-send [COMMAND...]  (commands on standard input when none given)\n");
        return exitOk;
    }
    dpy = XOpenDisplay(NULL);
    if (!dpy) {
        const char* name = getenv("DISPLAY");
        return fail("cannot open display", name ? name : "(DISPLAY is not set)");
    }
    int eventBase, errorBase, major, minor;
    if (!XTestQueryExtension(dpy, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(dpy);
        return fail("the X server has no XTEST extension", NULL);
    }
    netWmName = XInternAtom(dpy, "_NET_WM_NAME", False);
    utf8String = XInternAtom(dpy, "UTF8_STRING", False);
    int status = argc > 1 ? runWords(argv + 1, argc - 1) : runLines(stdin);
    XCloseDisplay(dpy);
    return status;
}
