#pragma once

#include "ReticleSpec.h"

#include <string>

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
};

/// The macOS identifiers: Finder on top, Messages left, Mail right, Safari bottom.
class MacPlatformProfile final : public PlatformProfile {
public:
    ReticleSpec defaultMainSpec() const override;
    std::string fileManagerId() const override { return "com.apple.finder"; }
};

} // namespace zentrivo
