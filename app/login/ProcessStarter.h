#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zentrivo {

/// Starts other programs, detached from this one, with an argument vector (never through a
/// shell, so no character of a path or an argument is ever interpreted).
class ProcessStarter {
public:
    ProcessStarter() = default;
    virtual ~ProcessStarter() = default;
    ProcessStarter(const ProcessStarter&) = delete;
    ProcessStarter& operator=(const ProcessStarter&) = delete;

    /// Starts `program` with `arguments`. Returns false when it could not be started (missing,
    /// not executable); the started program outlives this one.
    virtual bool start(const std::filesystem::path& program,
                       const std::vector<std::string>& arguments) = 0;
};

} // namespace zentrivo
