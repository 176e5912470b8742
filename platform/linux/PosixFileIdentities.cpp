#include "PosixFileIdentities.h"

#include <sys/stat.h>

namespace zentrivo::platform {

std::optional<FileIdentity> PosixFileIdentities::identity(const std::filesystem::path& path) const {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return FileIdentity{std::uint64_t(status.st_dev), std::uint64_t(status.st_ino)};
}

} // namespace zentrivo::platform
