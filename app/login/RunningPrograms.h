#pragma once

#include <string_view>

namespace zentrivo {

/// Which of our programs run in this session. A program counts as running while it holds its
/// identifier as a name in the session.
class RunningPrograms {
public:
    RunningPrograms() = default;
    virtual ~RunningPrograms() = default;
    RunningPrograms(const RunningPrograms&) = delete;
    RunningPrograms& operator=(const RunningPrograms&) = delete;

    /// True when a program holding `identifier` runs; false when none does or it cannot be told.
    virtual bool isRunning(std::string_view identifier) const = 0;
};

} // namespace zentrivo
