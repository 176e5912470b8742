#pragma once

#include "app/input/RunLoop.h"

#include <QPointer>
#include <QSocketNotifier>
#include <map>

namespace zentrivo {

/// The main thread's Qt event loop as a `RunLoop`: each source is a socket notifier. Qt wakes a
/// read notifier for an error or hang-up too, which is told apart here; a descriptor that is
/// invalid is disabled by Qt itself, with a warning, and is not reported.
class QtRunLoop final : public RunLoop {
public:
    QtRunLoop() = default;
    ~QtRunLoop() override;

    SourceId addSource(int fd, ReadyHandler ready, FailedHandler failed) override;
    void removeSource(SourceId id) override;

private:
    std::map<SourceId, QPointer<QSocketNotifier>> sources;
    SourceId nextId = 1;
};

} // namespace zentrivo
