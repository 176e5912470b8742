/*
 * grab-key: takes one key combination with XGrabKey on the root window, as another program
 * would, and holds it until it is ended (SIGTERM).
 *
 *   grab-key KEYSYM MODIFIERS       e.g. grab-key Up 0x48  (Super+Alt, that is Mod4 | Mod1)
 *
 * Prints "grabbed" once the server has accepted the grab. Exit status: 1 when the server refused
 * it (another client holds it), 2 for bad arguments or no display.
 */
#include <X11/Xlib.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static int refused = 0;

static int recordError(Display* display, XErrorEvent* error) {
    (void)display;
    refused = error->error_code;
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: grab-key KEYSYM MODIFIERS\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    const KeySym keysym = XStringToKeysym(argv[1]);
    const KeyCode code = display && keysym != NoSymbol ? XKeysymToKeycode(display, keysym) : 0;
    if (code == 0) {
        fprintf(stderr, "grab-key: no display, or no key for %s\n", argv[1]);
        return 2;
    }
    const unsigned int modifiers = (unsigned int)strtoul(argv[2], NULL, 0);
    XSetErrorHandler(recordError);
    XGrabKey(display, code, modifiers, DefaultRootWindow(display), False, GrabModeAsync,
             GrabModeAsync);
    XSync(display, False);
    if (refused) {
        fprintf(stderr, "grab-key: the server refused %s with 0x%x (error %d)\n", argv[1],
                modifiers, refused);
        return 1;
    }
    printf("grabbed\n");
    fflush(stdout);
    /* The grab lives as long as the connection; SIGTERM's default action ends both. */
    for (;;)
        pause();
}
