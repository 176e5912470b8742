#pragma once

namespace zentrivo::identifiers {

// Names shared by the main program and its login launcher; peers find each other by them, so
// they never change.
inline constexpr const char* mainApp = "com.tovelane.ZentrivoPro";
inline constexpr const char* launcher = "com.tovelane.ZentrivoProLauncher";
/// Main program to launcher: quit now. Object: `mainApp`.
inline constexpr const char* terminateLauncher = "com.tovelane.ZentrivoPro.terminateLauncher";
/// Launcher to main program, first thing at every start. Object: `mainApp`.
inline constexpr const char* pong = "com.tovelane.ZentrivoPro.pong";

} // namespace zentrivo::identifiers
