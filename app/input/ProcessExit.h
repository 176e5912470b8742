#pragma once

namespace zentrivo {

/// Ends the program at once.
class ProcessExit {
public:
    ProcessExit() = default;
    virtual ~ProcessExit() = default;
    ProcessExit(const ProcessExit&) = delete;
    ProcessExit& operator=(const ProcessExit&) = delete;

    /// Terminates the process with `status`; does not return in the real program.
    virtual void exitProcess(int status) = 0;
};

} // namespace zentrivo
