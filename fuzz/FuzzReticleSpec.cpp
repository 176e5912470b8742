// Panels arrive as JSON text from the settings database and from synced records.
#include "app/model/ReticleSpec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto spec = zentrivo::ReticleSpec::fromJsonString(text);
    if (!spec)
        return 0;
    spec->ringActions();
    // A panel that decoded is saved again as it is; the saved text must decode to the same panel,
    // or the user's panel would change on every save.
    if (zentrivo::ReticleSpec::fromJsonString(spec->toJsonString()) != spec)
        std::abort();
    return 0;
}
