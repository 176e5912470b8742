/* What the end-to-end benchmark tools share: the clock, finding a window by name, percentiles. */
#pragma once

#include <X11/Xlib.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static long long monotonicMicros(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000;
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
