/*
 * shell-latency: how long a show request on the session bus takes to put the reticle on the
 * screen, as another client sees it.
 *
 *   shell-latency [REQUESTS]        (default 50)
 *
 * Each round calls OpenURLs(["zentrivo://show"]) on the running zentrivo and waits for the
 * MapNotify of the window named "Zentrivo Reticle"; the time from sending the call to reading
 * the MapNotify is one sample, the time to the call's reply another. It then sends
 * "zentrivo://close?executing=false" and waits for the window to be unmapped. Prints the
 * figures in milliseconds: median, 95th percentile, minimum and maximum.
 *
 * Exit status: 0 with figures, 1 when the window did not appear or go in time or a call failed,
 * 2 when the display, the bus or the window cannot be found.
 */
#include "bench-x11.h"

#include <X11/Xlib.h>
#include <gio/gio.h>
#include <stdio.h>

static const char* reticleName = "Zentrivo Reticle";

static int openUrl(GDBusConnection* bus, const char* url) {
    const gchar* urls[] = {url, NULL};
    GError* error = NULL;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "com.tovelane.ZentrivoPro", "/com/tovelane/ZentrivoPro",
        "com.tovelane.ZentrivoPro.Shell", "OpenURLs", g_variant_new("(^as)", urls), NULL,
        G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, NULL, &error);
    if (!reply) {
        fprintf(stderr, "shell-latency: %s: %s\n", url, error->message);
        g_error_free(error);
        return 0;
    }
    g_variant_unref(reply);
    return 1;
}

int main(int argc, char** argv) {
    const int requests = argc > 1 ? atoi(argv[1]) : 50;
    if (requests < 1) {
        fprintf(stderr, "shell-latency: bad request count\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(NULL);
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, NULL, NULL);
    if (!dpy || !bus) {
        fprintf(stderr, "shell-latency: cannot open the display or the session bus\n");
        return 2;
    }
    const Window window = watchWindow(dpy, reticleName, "shell-latency");
    if (window == None)
        return 2;

    double* mapped = calloc((size_t)requests, sizeof *mapped);
    double* replied = calloc((size_t)requests, sizeof *replied);
    for (int i = 0; i < requests; ++i) {
        const long long sent = monotonicMicros();
        if (!openUrl(bus, "zentrivo://show"))
            return 1;
        const long long reply = monotonicMicros();
        const long long shown = waitFor(dpy, window, 1, 5000);
        if (shown < 0) {
            fprintf(stderr, "shell-latency: request %d: the reticle did not appear\n", i + 1);
            return 1;
        }
        mapped[i] = (double)(shown - sent) / 1000.0;
        replied[i] = (double)(reply - sent) / 1000.0;
        if (!openUrl(bus, "zentrivo://close?executing=false"))
            return 1;
        if (waitFor(dpy, window, 0, 5000) < 0) {
            fprintf(stderr, "shell-latency: request %d: the reticle did not go\n", i + 1);
            return 1;
        }
    }
    qsort(mapped, (size_t)requests, sizeof *mapped, compareDoubles);
    qsort(replied, (size_t)requests, sizeof *replied, compareDoubles);
    printf("show request to MapNotify over %d requests: median %.2f ms, p95 %.2f ms, min %.2f ms, "
           "max %.2f ms\n",
           requests, percentile(mapped, requests, 50), percentile(mapped, requests, 95), mapped[0],
           mapped[requests - 1]);
    printf("show request to its reply: median %.2f ms, p95 %.2f ms\n",
           percentile(replied, requests, 50), percentile(replied, requests, 95));
    free(mapped);
    free(replied);
    g_object_unref(bus);
    XCloseDisplay(dpy);
    return 0;
}
