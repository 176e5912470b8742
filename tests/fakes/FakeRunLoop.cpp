#include "FakeRunLoop.h"

#include <algorithm>
#include <poll.h>

namespace zentrivo::test {

RunLoop::SourceId FakeRunLoop::addSource(int fd, ReadyHandler ready) {
    sources.push_back({nextId, fd, std::move(ready)});
    return nextId++;
}

void FakeRunLoop::removeSource(SourceId id) {
    std::erase_if(sources, [id](const Source& s) { return s.id == id; });
}

int FakeRunLoop::runOnce() {
    const auto snapshot = sources;
    int served = 0;
    for (const auto& source : snapshot) {
        pollfd polled{source.fd, POLLIN, 0};
        if (::poll(&polled, 1, 0) <= 0 || !(polled.revents & POLLIN))
            continue;
        if (std::none_of(sources.begin(), sources.end(),
                         [&](const Source& s) { return s.id == source.id; }))
            continue;
        source.ready();
        ++served;
    }
    return served;
}

} // namespace zentrivo::test
