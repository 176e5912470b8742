#pragma once

#include <gio/gio.h>
#include <memory>
#include <string>

namespace zentrivo::platform {

/// Owners for GLib/GIO values, so that every early return releases what it took.
struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GObjectHandle = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorHandle = std::unique_ptr<GError, GErrorFree>;

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
using GCharHandle = std::unique_ptr<gchar, GFree>;

/// GIO's message for an error, or `fallback` when there is none.
inline std::string describe(const GError* error, const char* fallback) {
    return error && error->message ? error->message : fallback;
}

} // namespace zentrivo::platform
