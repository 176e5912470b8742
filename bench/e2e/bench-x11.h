/* What the end-to-end benchmark tools share: the clock, waiting for a window to map or unmap,
 * finding a window by name, percentiles. */
#pragma once

#include <X11/Xlib.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static long long monotonicMicros(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

/* Waits for a MapNotify (map = 1) or UnmapNotify (map = 0) of `window`; returns the monotonic
 * time it was read at, or -1 after `timeoutMs`. */
static inline long long waitFor(Display* dpy, Window window, int map, int timeoutMs) {
    const long long deadline = monotonicMicros() + timeoutMs * 1000LL;
    for (;;) {
        while (XPending(dpy)) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (map && event.type == MapNotify && event.xmap.window == window)
                return monotonicMicros();
            if (!map && event.type == UnmapNotify && event.xunmap.window == window)
                return monotonicMicros();
        }
        const long long left = deadline - monotonicMicros();
        if (left <= 0)
            return -1;
        struct pollfd fd = {ConnectionNumber(dpy), POLLIN, 0};
        poll(&fd, 1, (int)((left + 999) / 1000));
    }
}

/* The first window below `parent`, depth first, whose WM_NAME is `wanted`; None if there is none. */
static Window findByName(Display* dpy, Window parent, const char* wanted) {
    Window root, up, *children = NULL;
    unsigned int count = 0;
    Window found = None;
    if (!XQueryTree(dpy, parent, &root, &up, &children, &count))
        return None;
    for (unsigned int i = 0; i < count && found == None; ++i) {
        char* name = NULL;
        if (XFetchName(dpy, children[i], &name) && name) {
            if (strcmp(name, wanted) == 0)
                found = children[i];
            XFree(name);
        }
        if (found == None)
            found = findByName(dpy, children[i], wanted);
    }
    if (children)
        XFree(children);
    return found;
}

/* The window named `name`, with its maps and unmaps reported to `dpy`'s queue (for waitFor): the
 * reticle bypasses the window manager, so they go to the root it is mapped below; with a
 * reparenting manager they would go to its frame. None, said on stderr, when there is no such
 * window. */
static inline Window watchWindow(Display* dpy, const char* name, const char* tool) {
    const Window window = findByName(dpy, DefaultRootWindow(dpy), name);
    if (window == None) {
        fprintf(stderr, "%s: no window named %s\n", tool, name);
        return None;
    }
    Window parentRoot, parent, *children = NULL;
    unsigned int count = 0;
    XQueryTree(dpy, window, &parentRoot, &parent, &children, &count);
    if (children)
        XFree(children);
    XSelectInput(dpy, parent, SubstructureNotifyMask);
    XSync(dpy, False);
    return window;
}

/* For qsort of samples, and the nearest-rank percentile `p` (0 to 100) of sorted ones. */
static int compareDoubles(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}
static double percentile(const double* sorted, int count, double p) {
    int rank = (int)(p / 100.0 * count + 0.999999);
    rank = rank < 1 ? 1 : rank > count ? count : rank;
    return sorted[rank - 1];
}
