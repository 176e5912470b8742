#pragma once

#include "app/input/RunLoop.h"

#include <vector>

namespace zentrivo::test {

/// The main loop for tests: sources are served only when the test calls `runOnce()`, on the
/// test's own thread, like the main loop's next pass.
class FakeRunLoop final : public RunLoop {
public:
    SourceId addSource(int fd, ReadyHandler ready) override;
    void removeSource(SourceId id) override;

    /// Serves every source whose descriptor is readable right now; returns how many ran.
    int runOnce();
    int sourceCount() const { return static_cast<int>(sources.size()); }

private:
    struct Source {
        SourceId id;
        int fd;
        ReadyHandler ready;
    };
    std::vector<Source> sources;
    SourceId nextId = 1;
};

} // namespace zentrivo::test
