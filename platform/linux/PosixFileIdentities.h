#pragma once

#include "app/apps/FileIdentity.h"

namespace zentrivo::platform {

/// File identities from `stat`: device and inode.
class PosixFileIdentities final : public FileIdentities {
public:
    std::optional<FileIdentity> identity(const std::filesystem::path& path) const override;
};

} // namespace zentrivo::platform
