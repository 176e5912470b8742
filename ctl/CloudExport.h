#pragma once

#include "app/model/PlatformProfile.h"
#include "app/settings/DefaultsDatabase.h"

#include <iosfwd>

namespace zentrivo {

/// `zentrivoctl cloud export`: writes this machine's configuration record as the file "config"
/// of the cloud folder, replacing the old one in one step (a sync tool never reads half a
/// record), and records its time as the last one applied here, so this machine does not import
/// its own record. Returns one of `ctlStatus`.
int exportCloudConfig(std::ostream& out, std::ostream& err, DefaultsDatabase& db,
                      const PlatformProfile& profile);

} // namespace zentrivo
