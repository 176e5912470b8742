// A configuration record maps setting keys to tagged values; each tagged value is decoded on its
// own, so one bad member costs only that setting.
#include "app/settings/CodableDefault.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <nlohmann/json.hpp>
#include <string>

namespace {

void decode(const nlohmann::ordered_json& json) {
    zentrivo::CodableDefault value;
    try {
        value = zentrivo::CodableDefault::fromJson(json);
    } catch (const std::exception&) {
        return;
    }
    // Re-encoding must keep every value (dates pass through a second epoch and may round).
    auto again =
        zentrivo::CodableDefault::fromJson(nlohmann::ordered_json::parse(value.toJson().dump()));
    again.date = value.date;
    if (again != value)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto json = nlohmann::ordered_json::parse(data, data + size, nullptr, false);
    if (json.is_discarded())
        return 0;
    decode(json);
    if (json.is_object())
        for (const auto& member : json)
            decode(member);
    return 0;
}
