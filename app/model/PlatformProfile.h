#pragma once

#include "InstalledApp.h"
#include "ReticleSpec.h"

#include "app/core/SystemInfo.h"

#include <string>
#include <vector>

namespace zentrivo {

/// The platform's answers to "which applications play which role": the near panel a new user
/// starts with, and the file manager's identifier wherever the file manager gets special
/// treatment.
class PlatformProfile {
public:
    PlatformProfile() = default;
    virtual ~PlatformProfile() = default;
    PlatformProfile(const PlatformProfile&) = delete;
    PlatformProfile& operator=(const PlatformProfile&) = delete;

    /// The near panel used while none is stored (`id` 0).
    virtual ReticleSpec defaultMainSpec() const = 0;
    /// The file manager's bundle identifier; empty when the platform has none.
    virtual std::string fileManagerId() const = 0;

    // The answers below default to the freedesktop ones.

    /// This program's own bundle identifier (on Linux its desktop id).
    virtual std::string selfBundleId() const { return "com.tovelane.ZentrivoPro"; }
    /// The extension, without the dot, of a file that is an application's bundle: "desktop"
    /// for desktop entries.
    virtual std::string applicationBundleExtension() const { return "desktop"; }
    /// Applications that a walk of the application folders would not find, listed before the
    /// walk (a found copy replaces them).
    virtual std::vector<InstalledApp> builtInApplications(const SystemInfo&) const { return {}; }
};

} // namespace zentrivo
