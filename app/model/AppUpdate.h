#pragma once

#include "Action.h"
#include "Directional.h"
#include "InstalledApp.h"

namespace zentrivo {

/// Object of "appUpdatedInReticle": a slot changed by dropping an application on the reticle.
struct AppUpdate {
    Action action;
    Directional directional = Directional::c;
    bool far = false;
    InstalledApp installedApp;
};

} // namespace zentrivo
