#pragma once

#include "app/login/LoginItems.h"

#include <filesystem>
#include <optional>
#include <string>

namespace zentrivo::platform {

/// Login items as XDG autostart entries: `com.tovelane.ZentrivoPro.desktop` starts the main
/// program, `com.tovelane.ZentrivoProLauncher.desktop` the login launcher. An entry counts as
/// enabled when its file is there, runs our program and is neither `Hidden` nor switched off
/// with `X-GNOME-Autostart-enabled=false`.
class XdgAutostart final : public LoginItems {
public:
    /// Entries go to `folder` (normally `defaultFolder()`) and start the given programs.
    XdgAutostart(std::filesystem::path folder, std::filesystem::path mainProgram,
                 std::filesystem::path launcherProgram);

    /// `$XDG_CONFIG_HOME/autostart`, or `~/.config/autostart`; none without either variable.
    static std::optional<std::filesystem::path> defaultFolder();

    bool isMainAppEnabled() const override;
    std::optional<std::string> registerMainApp() override;
    std::optional<std::string> unregisterMainApp() override;
    bool setLauncherEnabled(bool enabled) override;

    /// The text of an entry that starts `program`; its path is quoted so that any character of
    /// it reaches the program unchanged.
    static std::string entryText(const std::filesystem::path& program, const std::string& name);
    /// True when `text` is an entry that starts a program named `programName`, enabled.
    static bool isEnabledEntry(const std::string& text, const std::string& programName);

private:
    std::optional<std::string> write(const std::filesystem::path& file,
                                     const std::filesystem::path& program,
                                     const std::string& name) const;
    std::optional<std::string> remove(const std::filesystem::path& file) const;
    bool isEnabled(const std::filesystem::path& file, const std::filesystem::path& program) const;

    std::filesystem::path folder;
    std::filesystem::path mainProgram;
    std::filesystem::path launcherProgram;
};

} // namespace zentrivo::platform
