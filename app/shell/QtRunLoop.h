#pragma once

#include "app/input/RunLoop.h"

#include <QPointer>
#include <QSocketNotifier>
#include <map>

namespace zentrivo {

/// The main thread's Qt event loop as a `RunLoop`: each source is a socket notifier.
class QtRunLoop final : public RunLoop {
public:
    QtRunLoop() = default;
    ~QtRunLoop() override;

    SourceId addSource(int fd, ReadyHandler ready) override;
    void removeSource(SourceId id) override;

private:
    std::map<SourceId, QPointer<QSocketNotifier>> sources;
    SourceId nextId = 1;
};

} // namespace zentrivo
