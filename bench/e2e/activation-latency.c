/*
 * activation-latency: how long zentrivo takes to bring a running application forward, as another
 * X client sees it, under an EWMH window manager.
 *
 *   activation-latency window CLASS           maps a normal window of WM_CLASS CLASS and serves it
 *   activation-latency latency TARGET OTHER [ROUNDS]
 *   activation-latency flip A B [COUNT]
 *
 * latency: each round activates the window OTHER, holds Super and Alt through XTest, waits for the
 * reticle ("Zentrivo Reticle") to map, moves the pointer 100 px right (the slot that raises
 * TARGET's application) and releases Alt; one sample is the time from that release to the root's
 * _NET_ACTIVE_WINDOW becoming TARGET. Prints the median, 95th percentile, minimum and maximum in
 * milliseconds.
 *
 * flip: activates A and B in turn COUNT times, each time waiting until the window manager reports
 * it active (focus changing between other applications while zentrivo idles).
 *
 * Windows are given as numbers (decimal or 0x hex). Exit status: 0 with figures, 1 when something
 * did not happen in time, 2 on bad arguments or a missing display or window.
 */
#include "bench-x11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static Atom activeAtom;

static Window activeWindow(Display* dpy) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = NULL;
    Window active = None;
    if (XGetWindowProperty(dpy, DefaultRootWindow(dpy), activeAtom, 0, 1, False, XA_WINDOW, &type,
                           &format, &count, &after, &data) == Success &&
        data && count == 1)
        active = (Window) * (unsigned long*)data;
    if (data)
        XFree(data);
    return active;
}

/* Waits until `done` holds, reading events as they come; the monotonic time it held at, or -1
 * after `timeoutMs`. `done` is checked after each batch of events. */
static long long waitUntil(Display* dpy, int (*done)(Display*, Window), Window arg, int timeoutMs) {
    const long long deadline = monotonicMicros() + timeoutMs * 1000LL;
    for (;;) {
        int changed = 0;
        while (XPending(dpy)) {
            XEvent event;
            XNextEvent(dpy, &event);
            changed = 1;
        }
        if (changed && done(dpy, arg))
            return monotonicMicros();
        const long long left = deadline - monotonicMicros();
        if (left <= 0)
            return done(dpy, arg) ? monotonicMicros() : -1;
        struct pollfd fd = {ConnectionNumber(dpy), POLLIN, 0};
        poll(&fd, 1, (int)((left + 999) / 1000));
    }
}

static int isActive(Display* dpy, Window window) { return activeWindow(dpy) == window; }

static Window reticle = None;
static int reticleViewable(Display* dpy, Window unused) {
    (void)unused;
    XWindowAttributes attributes;
    return XGetWindowAttributes(dpy, reticle, &attributes) && attributes.map_state == IsViewable;
}
static int reticleGone(Display* dpy, Window unused) { return !reticleViewable(dpy, unused); }

static int activate(Display* dpy, Window window) {
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = activeAtom;
    event.xclient.format = 32;
    event.xclient.data.l[0] = 2;
    XSendEvent(dpy, DefaultRootWindow(dpy), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(dpy);
    return waitUntil(dpy, isActive, window, 5000) >= 0;
}

static int serveWindow(Display* dpy, char* wmClass) {
    const Window window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 50, 50, 300, 200, 0, 0,
                                              WhitePixel(dpy, 0));
    XClassHint hint = {wmClass, wmClass};
    XTextProperty name;
    XStringListToTextProperty(&wmClass, 1, &name);
    XSetWMProperties(dpy, window, &name, &name, NULL, 0, NULL, NULL, &hint);
    XFree(name.value);
    XMapWindow(dpy, window);
    printf("0x%lx\n", window);
    fflush(stdout);
    for (XEvent event;;)
        XNextEvent(dpy, &event);
    return 0;
}

static int measure(Display* dpy, Window target, Window other, int rounds) {
    reticle = findByName(dpy, DefaultRootWindow(dpy), "Zentrivo Reticle");
    if (reticle == None) {
        fprintf(stderr, "activation-latency: no reticle window\n");
        return 2;
    }
    XSelectInput(dpy, reticle, StructureNotifyMask);
    const KeyCode super = XKeysymToKeycode(dpy, XK_Super_L);
    const KeyCode alt = XKeysymToKeycode(dpy, XK_Alt_L);
    double* samples = calloc((size_t)rounds, sizeof *samples);
    for (int i = 0; i < rounds; ++i) {
        if (!activate(dpy, other)) {
            fprintf(stderr, "activation-latency: round %d: the other window did not come\n", i + 1);
            return 1;
        }
        XTestFakeMotionEvent(dpy, 0, 640, 400, CurrentTime);
        XTestFakeKeyEvent(dpy, super, True, CurrentTime);
        XTestFakeKeyEvent(dpy, alt, True, CurrentTime);
        XFlush(dpy);
        if (waitUntil(dpy, reticleViewable, None, 5000) < 0) {
            fprintf(stderr, "activation-latency: round %d: no reticle\n", i + 1);
            return 1;
        }
        /* In steps, as a hand moves. */
        for (int step = 0; step < 10; ++step)
            XTestFakeRelativeMotionEvent(dpy, 10, 0, CurrentTime);
        XSync(dpy, False);
        XTestFakeKeyEvent(dpy, alt, False, CurrentTime);
        XSync(dpy, False);
        const long long released = monotonicMicros();
        XTestFakeKeyEvent(dpy, super, False, CurrentTime);
        XFlush(dpy);
        const long long raised = waitUntil(dpy, isActive, target, 5000);
        if (raised < 0) {
            fprintf(stderr, "activation-latency: round %d: the target did not come\n", i + 1);
            return 1;
        }
        samples[i] = (double)(raised - released) / 1000.0;
        if (waitUntil(dpy, reticleGone, None, 5000) < 0) {
            fprintf(stderr, "activation-latency: round %d: the reticle did not go\n", i + 1);
            return 1;
        }
    }
    qsort(samples, (size_t)rounds, sizeof *samples, compareDoubles);
    printf("release-to-active over %d rounds: median %.2f ms, p95 %.2f ms, min %.2f ms, "
           "max %.2f ms\n",
           rounds, percentile(samples, rounds, 50), percentile(samples, rounds, 95), samples[0],
           samples[rounds - 1]);
    free(samples);
    return 0;
}

int main(int argc, char** argv) {
    Display* dpy = XOpenDisplay(NULL);
    if (!dpy || argc < 3) {
        fprintf(stderr, "usage: see the comment at the top of activation-latency.c\n");
        return 2;
    }
    activeAtom = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
    if (strcmp(argv[1], "window") == 0)
        return serveWindow(dpy, argv[2]);
    if (argc < 4)
        return 2;
    const Window a = strtoul(argv[2], NULL, 0), b = strtoul(argv[3], NULL, 0);
    const int count = argc > 4 ? atoi(argv[4]) : 40;
    if (count < 1)
        return 2;
    XSelectInput(dpy, DefaultRootWindow(dpy), PropertyChangeMask);
    if (strcmp(argv[1], "latency") == 0)
        return measure(dpy, a, b, count);
    for (int i = 0; i < count; ++i)
        if (!activate(dpy, i % 2 ? b : a))
            return 1;
    printf("focus flipped %d times between two other windows\n", count);
    return 0;
}
