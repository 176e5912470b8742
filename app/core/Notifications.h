#pragma once

namespace zentrivo::notifications {

// Names posted on the default notification centre; their texts are shared with peers that
// observe them by name, so they never change.
inline constexpr const char* appsUpdated = "appsUpdated";
inline constexpr const char* appUpdatedInReticle = "appUpdatedInReticle";
inline constexpr const char* alertWillDisplay = "alertWillDisplay";
inline constexpr const char* backgroundUpdated = "backgroundUpdated";
inline constexpr const char* arrowDisplaysToggled = "arrowDisplaysToggled";
inline constexpr const char* gestureSelected = "gestureSelected";
inline constexpr const char* configImported = "configImported";

} // namespace zentrivo::notifications
