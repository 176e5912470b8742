#pragma once

#include "app/core/Log.h"

#include <string>
#include <vector>

namespace zentrivo::test {

class RecordingLog final : public Log {
public:
    struct Line {
        LogLevel level;
        std::string message;
    };
    void write(LogLevel level, std::string_view message) override {
        lines.push_back({level, std::string(message)});
    }
    std::vector<Line> lines;
};

} // namespace zentrivo::test
