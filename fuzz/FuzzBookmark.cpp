// Bookmark data comes from the settings database, which any program of the user can write.
#include "app/apps/BookmarkManager.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const zentrivo::Data input{std::vector<std::uint8_t>(data, data + size)};
    const auto bookmark = zentrivo::Bookmark::decode(input);
    // What decodes is written back byte for byte.
    if (bookmark && bookmark->encode() != input)
        std::abort();
    return 0;
}
