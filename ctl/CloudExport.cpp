#include "CloudExport.h"

#include "Zentrivoctl.h"
#include "app/model/ReticleSpecModel.h"
#include "app/settings/CloudConfig.h"
#include "app/settings/Defaults.h"

#include <chrono>
#include <exception>
#include <fstream>
#include <ostream>
#include <unistd.h>

namespace zentrivo {

int exportCloudConfig(std::ostream& out, std::ostream& err, DefaultsDatabase& db,
                      const PlatformProfile& profile) {
    Defaults defaults(db);
    const ReticleSpecModel model(defaults, profile);
    const auto folder = cloudFolderPath(defaults);
    if (!folder) {
        err << "zentrivoctl: cannot find the cloud folder: cloudFolder is not set and neither "
               "XDG_DATA_HOME nor HOME is\n";
        return ctlStatus::failed;
    }
    const Config config =
        currentConfig(defaults, model, Date(std::chrono::system_clock::now().time_since_epoch()));
    std::string text;
    try {
        text = config.toJsonString();
    } catch (const std::exception& e) {
        err << "zentrivoctl: the near panel cannot be written as JSON: " << e.what() << '\n';
        return ctlStatus::failed;
    }
    std::error_code error;
    std::filesystem::create_directories(*folder, error);
    const std::filesystem::path target = *folder / "config";
    // A hidden name: the running program and sync tools take dot files for temporary ones.
    const std::filesystem::path temporary =
        *folder / (".config." + std::to_string(::getpid()) + ".tmp");
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << text;
        file.close();
        if (!file) {
            std::filesystem::remove(temporary, error);
            err << "zentrivoctl: cannot write " << temporary.string() << '\n';
            return ctlStatus::failed;
        }
    }
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        err << "zentrivoctl: cannot replace " << target.string() << ": " << error.message() << '\n';
        return ctlStatus::failed;
    }
    defaults.lastCloudSync.set(config.date());
    out << target.string() << '\n';
    return ctlStatus::ok;
}

} // namespace zentrivo
