/*
 * grab-key KEYSYM MODIFIERS: takes one key combination with XGrabKey on the root window, as
 * another program would (e.g. "grab-key Up 0x48" for Super+Alt+Up), prints "grabbed" once the
 * server has accepted it and holds it until ended. Exits 1 when the server refuses the grab (Xlib's
 * own error handler), 2 without a display or a key for KEYSYM.
 */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char** argv) {
    Display* display = argc == 3 ? XOpenDisplay(NULL) : NULL;
    const KeyCode code = display ? XKeysymToKeycode(display, XStringToKeysym(argv[1])) : 0;
    if (code == 0)
        return 2;
    XGrabKey(display, code, (unsigned int)strtoul(argv[2], NULL, 0), DefaultRootWindow(display),
             False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    printf("grabbed\n");
    fflush(stdout);
    for (;;) /* the grab lives as long as the connection */
        pause();
}
