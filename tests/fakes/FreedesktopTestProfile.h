#pragma once

#include "app/model/PlatformProfile.h"

#include <string>

namespace zentrivo::test {

/// The freedesktop answers, with a file manager the test may change and an empty default panel.
class FreedesktopTestProfile final : public PlatformProfile {
public:
    ReticleSpec defaultMainSpec() const override { return ReticleSpec{}; }
    std::string fileManagerId() const override { return fileManager; }
    std::string fileManager = "org.gnome.Nautilus";
};

} // namespace zentrivo::test
