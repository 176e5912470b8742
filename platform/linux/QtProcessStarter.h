#pragma once

#include "app/login/ProcessStarter.h"

namespace zentrivo::platform {

/// Starts programs detached through Qt (fork and exec, no shell).
class QtProcessStarter final : public ProcessStarter {
public:
    bool start(const std::filesystem::path& program,
               const std::vector<std::string>& arguments) override;
};

} // namespace zentrivo::platform
