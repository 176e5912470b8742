// zentrivoctl's command line, against a database that already holds one value of every kind and
// both panels, so reads, overwrites and `panels` meet stored data too.
#include "ctl/Zentrivoctl.h"
#include "tests/fakes/FakeDefaultsDatabase.h"
#include "tests/fakes/FreedesktopTestProfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

/// Arguments are separated by NUL bytes, as they are in /proc/PID/cmdline.
std::vector<std::string> splitArguments(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += char(data[i]);
    }
    return args;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zentrivo;
    test::FakeDefaultsDatabase db;
    db.values = {
        {"hoverMillis", std::int64_t{800}},
        {"outerSafeArea", 0.25f},
        {"hideMenuBarIcon", true},
        {"lastVersion", std::string("1")},
        {"lastCloudSync", Date(Date::duration(1714564800.5))},
        {"mainReticleSpec", std::string(R"({"id":0,"tl":{"stringValue":"org.gnome.Nautilus",)"
                                        R"("type":0},"c":{"stringValue":"","type":3}})")},
        {"farReticleSpec", std::string(R"({"id":1,"b":{"stringValue":"/tmp","type":2}})")},
    };
    test::FreedesktopTestProfile profile;
    std::ostringstream out, err;
    const int status = runZentrivoctl(splitArguments(data, size), out, err, db, profile);
    if (status != ctlStatus::ok && status != ctlStatus::failed && status != ctlStatus::badInput)
        std::abort();
    // Whatever was written must read back and print.
    std::ostringstream readOut;
    if (runZentrivoctl({"defaults", "read"}, readOut, err, db, profile) != ctlStatus::ok)
        std::abort();
    return 0;
}
