// zentrivoctl: the command users have for settings without a control in the preferences.
#include "ctl/Zentrivoctl.h"
#include "platform/linux/LinuxPlatformProfile.h"
#include "platform/linux/SqliteDefaultsDatabase.h"
#include "platform/linux/SyslogLog.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace zentrivo;
    // Mirrored to stderr: the user running the command should see why a database was moved aside.
    platform::SyslogLog log("com-tovelane-Zentrivo ", true);
    const auto path = platform::SqliteDefaultsDatabase::defaultPath();
    if (path.empty()) {
        std::cerr << "zentrivoctl: cannot find the settings folder: neither XDG_CONFIG_HOME nor "
                     "HOME is set\n";
        return ctlStatus::failed;
    }
    platform::SqliteDefaultsDatabase db(path, log);
    const platform::LinuxPlatformProfile profile;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = runZentrivoctl(args, std::cout, std::cerr, db, profile);
    std::cout.flush();
    if (!std::cout)
        return ctlStatus::failed;
    return status;
}
