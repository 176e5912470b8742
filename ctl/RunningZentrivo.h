#pragma once

#include <string>
#include <vector>

namespace zentrivo {

/// The running main program as zentrivoctl reaches it.
class RunningZentrivo {
public:
    RunningZentrivo() = default;
    virtual ~RunningZentrivo() = default;
    RunningZentrivo(const RunningZentrivo&) = delete;
    RunningZentrivo& operator=(const RunningZentrivo&) = delete;

    enum class Outcome { done, notRunning, failed };

    /// Hands a command URL to the running program and waits for it to be taken. On `failed`,
    /// `error` says why.
    virtual Outcome openURL(const std::string& url, std::string& error) = 0;
    /// Tells a running program (if any) that `keys` were written or deleted. Never fails
    /// visibly: a program that does not run reads the database when it starts.
    virtual void settingsChanged(const std::vector<std::string>& keys) = 0;
};

} // namespace zentrivo
