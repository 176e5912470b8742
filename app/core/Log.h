#pragma once

#include <string_view>

namespace zentrivo {

enum class LogLevel { defaultLevel, info, error };

/// The system log. Adapters put the program's message prefix in front of every message
/// ("com-tovelane-Zentrivo " in the main program), so callers pass the message without it.
class Log {
public:
    Log() = default;
    virtual ~Log() = default;
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    /// Writes one message. Never fails: a log that cannot be written is dropped.
    virtual void write(LogLevel level, std::string_view message) = 0;

    void log(std::string_view message) { write(LogLevel::defaultLevel, message); }
    void info(std::string_view message) { write(LogLevel::info, message); }
    void error(std::string_view message) { write(LogLevel::error, message); }
};

} // namespace zentrivo
