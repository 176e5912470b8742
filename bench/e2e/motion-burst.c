/*
 * motion-burst: moves the pointer like a 1,000 Hz mouse in constant motion, through XTest.
 *
 *   motion-burst EVENTS [hold]
 *
 * Sends EVENTS relative motions of one pixel, alternately right and left, one per millisecond on
 * the monotonic clock, so the pointer stays where it is on average. With "hold" it holds Super
 * and Alt during the motions (the default trigger) and releases them afterwards. Ends with a
 * round trip, so every event has reached the server.
 *
 * Exit status: 0, or 2 when the display cannot be opened.
 */
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

int main(int argc, char** argv) {
    const long events = argc > 1 ? strtol(argv[1], NULL, 10) : 5000;
    const int hold = argc > 2 && strcmp(argv[2], "hold") == 0;
    Display* dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "motion-burst: cannot open the display\n");
        return 2;
    }
    const KeyCode super = XKeysymToKeycode(dpy, XK_Super_L);
    const KeyCode alt = XKeysymToKeycode(dpy, XK_Alt_L);
    if (hold) {
        XTestFakeKeyEvent(dpy, super, True, CurrentTime);
        XTestFakeKeyEvent(dpy, alt, True, CurrentTime);
        XSync(dpy, False);
    }
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (long i = 0; i < events; ++i) {
        XTestFakeRelativeMotionEvent(dpy, i % 2 == 0 ? 1 : -1, 0, CurrentTime);
        XFlush(dpy);
        next.tv_nsec += 1000000;
        if (next.tv_nsec >= 1000000000) {
            next.tv_nsec -= 1000000000;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
    }
    if (hold) {
        XTestFakeKeyEvent(dpy, alt, False, CurrentTime);
        XTestFakeKeyEvent(dpy, super, False, CurrentTime);
    }
    XSync(dpy, False);
    XCloseDisplay(dpy);
    return 0;
}
