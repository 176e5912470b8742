#include "SyslogLog.h"

#include <cstdio>
#include <mutex>

#include <syslog.h>

namespace zentrivo::platform {

SyslogLog::SyslogLog(std::string prefix, bool mirrorToStderr)
    : prefix(std::move(prefix)), mirror(mirrorToStderr) {
    openlog("zentrivo", LOG_PID, LOG_USER);
}

SyslogLog::~SyslogLog() { closelog(); }

void SyslogLog::write(LogLevel level, std::string_view message) {
    const int priority = level == LogLevel::error  ? LOG_ERR
                         : level == LogLevel::info ? LOG_INFO
                                                   : LOG_NOTICE;
    const std::string line = prefix + std::string(message);
    syslog(priority, "%s", line.c_str());
    if (mirror) {
        // One fwrite per line keeps lines from two threads apart.
        static std::mutex mutex;
        const std::lock_guard lock(mutex);
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fputc('\n', stderr);
    }
}

} // namespace zentrivo::platform
