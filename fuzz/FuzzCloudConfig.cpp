// The configuration record arrives from the cloud folder, written by another machine or tool.
#include "app/settings/CloudConfig.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto config = zentrivo::Config::fromJsonString(
        std::string_view(reinterpret_cast<const char*>(data), size));
    if (!config)
        return 0;
    // A record that was read can be written again and reads back with the same members.
    const auto again = zentrivo::Config::fromJsonString(config->toJsonString());
    if (!again || again->bundleId != config->bundleId || again->version != config->version ||
        again->timestamp != config->timestamp || again->defaults.size() != config->defaults.size())
        std::abort();
    return 0;
}
