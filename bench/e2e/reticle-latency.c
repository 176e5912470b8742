/*
 * reticle-latency: how long the reticle takes to appear, as another X client sees it.
 *
 *   reticle-latency [TRIGGERS]        (default 50)
 *
 * For each trigger it holds Super, then sends Alt through XTest (the event that completes the
 * modifier set) and waits for the MapNotify of the window named "Zentrivo Reticle" under the
 * root; the time between the two, on the monotonic clock, is one sample. It then releases both
 * keys and waits for the window to be unmapped before the next trigger. Prints every figure in
 * milliseconds: median, 95th percentile, minimum and maximum.
 *
 * Exit status: 0 with figures, 1 when the window did not appear or go in time, 2 when the display
 * or the window cannot be found.
 */
#include "bench-x11.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static const char* reticleName = "Zentrivo Reticle";

int main(int argc, char** argv) {
    const int triggers = argc > 1 ? atoi(argv[1]) : 50;
    if (triggers < 1) {
        fprintf(stderr, "reticle-latency: bad trigger count\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "reticle-latency: cannot open the display\n");
        return 2;
    }
    const Window window = watchWindow(dpy, reticleName, "reticle-latency");
    if (window == None)
        return 2;

    const KeyCode super = XKeysymToKeycode(dpy, XK_Super_L);
    const KeyCode alt = XKeysymToKeycode(dpy, XK_Alt_L);
    double* samples = calloc((size_t)triggers, sizeof *samples);
    for (int i = 0; i < triggers; ++i) {
        XTestFakeKeyEvent(dpy, super, True, CurrentTime);
        XSync(dpy, False);
        const long long sent = monotonicMicros();
        XTestFakeKeyEvent(dpy, alt, True, CurrentTime);
        XFlush(dpy);
        const long long mapped = waitFor(dpy, window, 1, 5000);
        XTestFakeKeyEvent(dpy, alt, False, CurrentTime);
        XTestFakeKeyEvent(dpy, super, False, CurrentTime);
        XFlush(dpy);
        if (mapped < 0) {
            fprintf(stderr, "reticle-latency: trigger %d: the reticle did not appear\n", i + 1);
            return 1;
        }
        samples[i] = (double)(mapped - sent) / 1000.0;
        if (waitFor(dpy, window, 0, 5000) < 0) {
            fprintf(stderr, "reticle-latency: trigger %d: the reticle did not go\n", i + 1);
            return 1;
        }
    }
    /* A slow first show would mean the start-up warm-up did not absorb the window's creation. */
    printf("first trigger: %.2f ms\n", samples[0]);
    qsort(samples, (size_t)triggers, sizeof *samples, compareDoubles);
    printf("trigger-to-mapped over %d triggers: median %.2f ms, p95 %.2f ms, min %.2f ms, "
           "max %.2f ms\n",
           triggers, percentile(samples, triggers, 50), percentile(samples, triggers, 95),
           samples[0], samples[triggers - 1]);
    free(samples);
    XCloseDisplay(dpy);
    return 0;
}
