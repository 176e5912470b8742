#include "GioCustomIcon.h"

#include "GioHandles.h"

namespace zentrivo::platform {

std::optional<std::string> gioCustomIcon(const std::string& path) {
    const GObjectHandle<GFile> file(g_file_new_for_path(path.c_str()));
    const GObjectHandle<GFileInfo> info(
        g_file_query_info(file.get(), "metadata::custom-icon,metadata::custom-icon-name",
                          G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    if (!info)
        return std::nullopt;
    if (const char* uri = g_file_info_get_attribute_string(info.get(), "metadata::custom-icon")) {
        const GObjectHandle<GFile> image(g_file_new_for_uri(uri));
        if (const GCharHandle local{g_file_get_path(image.get())})
            return std::string(local.get());
    }
    if (const char* name =
            g_file_info_get_attribute_string(info.get(), "metadata::custom-icon-name");
        name && *name)
        return std::string(name);
    return std::nullopt;
}

} // namespace zentrivo::platform
