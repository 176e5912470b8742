#pragma once

#include "app/core/Log.h"

#include <string>

namespace zentrivo::platform {

/// Writes to syslog (the journal on systemd machines) with the program's message prefix, and
/// mirrors every message to stderr when asked to.
class SyslogLog final : public Log {
public:
    /// `prefix` is "com-tovelane-Zentrivo " or "com-tovelane-ZentrivoLauncher ".
    SyslogLog(std::string prefix, bool mirrorToStderr);
    ~SyslogLog() override;

    void write(LogLevel level, std::string_view message) override;

private:
    std::string prefix;
    bool mirror;
};

} // namespace zentrivo::platform
