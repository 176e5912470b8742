#pragma once

#include "app/input/RunLoop.h"

#include <algorithm>
#include <poll.h>
#include <vector>

namespace zentrivo::test {

/// The main loop for tests: sources are served only when the test calls `runOnce()`, on the
/// test's own thread, like the main loop's next pass.
class FakeRunLoop final : public RunLoop {
public:
    struct Source {
        SourceId id;
        int fd;
        ReadyHandler ready;
    };

    SourceId addSource(int fd, ReadyHandler ready) override {
        sources.push_back({++lastId, fd, std::move(ready)});
        return lastId;
    }
    void removeSource(SourceId id) override {
        std::erase_if(sources, [id](auto& s) { return s.id == id; });
    }

    /// Serves every source whose descriptor is readable right now, except those that an earlier
    /// handler of the pass removed.
    void runOnce() {
        for (const auto& source : std::vector(sources)) {
            pollfd polled{source.fd, POLLIN, 0};
            if (::poll(&polled, 1, 0) > 0 && std::ranges::count(sources, source.id, &Source::id))
                source.ready();
        }
    }

    std::vector<Source> sources;

private:
    SourceId lastId = 0;
};

} // namespace zentrivo::test
