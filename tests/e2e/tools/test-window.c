/*
 * test-window RUNS_FILE INSTANCE CLASS, a small X application for the end-to-end tests: appends
 * "CLASS\n" to RUNS_FILE when it starts (so a test can count its processes), then maps one normal
 * top-level window with that WM_CLASS, WM_NAME CLASS, _NET_WM_PID and WM_CLIENT_MACHINE, and
 * serves it until the X server goes away or a signal ends it.
 */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <unistd.h>

int main(int argc, char** argv) {
    FILE* runs = argc == 4 ? fopen(argv[1], "a") : NULL;
    if (!runs || fprintf(runs, "%s\n", argv[3]) < 0 || fclose(runs) != 0)
        return 2;
    Display* display = XOpenDisplay(NULL);
    if (!display)
        return 1;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 100, 100, 300,
                                              200, 0, 0, WhitePixel(display, 0));
    XClassHint hint = {argv[2], argv[3]};
    XTextProperty name;
    XStringListToTextProperty(&argv[3], 1, &name);
    /* Also sets WM_CLIENT_MACHINE to this host. */
    XSetWMProperties(display, window, &name, &name, NULL, 0, NULL, NULL, &hint);
    XFree(name.value);
    const long pid = getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, (const unsigned char*)&pid, 1);
    XMapWindow(display, window);
    for (XEvent event;;)
        XNextEvent(display, &event);
}
