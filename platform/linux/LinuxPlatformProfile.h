#pragma once

#include "app/model/PlatformProfile.h"

#include <string>

namespace zentrivo::platform {

/// The user's own applications in the roles of the default near panel, asked of GIO each time:
/// the file manager (default handler of "inode/directory") on top, a terminal emulator on the
/// left, the mail client ("x-scheme-handler/mailto") on the right and the web browser
/// ("x-scheme-handler/https") at the bottom. A role without an application leaves its slot
/// empty. Identifiers are desktop-file ids without ".desktop".
///
/// The terminal is the first entry of the user's "xdg-terminals.list" (in XDG_CONFIG_HOME, then
/// XDG_CONFIG_DIRS) that names an installed terminal emulator; without such a list, the first
/// visible desktop entry of the "TerminalEmulator" category in the order of the ids.
///
/// GIO reads the XDG variables once per process; use it on the main thread only.
class LinuxPlatformProfile final : public PlatformProfile {
public:
    ReticleSpec defaultMainSpec() const override;
    /// Empty when no application opens folders.
    std::string fileManagerId() const override;

    /// The terminal emulator's identifier; empty when none is installed.
    std::string terminalId() const;
    /// The default handler of `contentType` (a MIME type or "x-scheme-handler/..."); empty when
    /// there is none.
    static std::string defaultHandlerId(const char* contentType);
};

} // namespace zentrivo::platform
