#pragma once

#include <optional>
#include <string>

namespace zentrivo::platform {

/// The custom icon a file manager gave the folder or file at `path` through GIO metadata
/// (`metadata::custom-icon`, an image file, or `metadata::custom-icon-name`, a theme icon):
/// the image's path or the icon's name. None when it has none, or when GIO keeps no metadata
/// here (no gvfs).
std::optional<std::string> gioCustomIcon(const std::string& path);

} // namespace zentrivo::platform
