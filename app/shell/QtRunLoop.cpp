#include "QtRunLoop.h"

#include <poll.h>

namespace zentrivo {

QtRunLoop::~QtRunLoop() {
    for (auto& [id, notifier] : sources)
        delete notifier.data();
}

RunLoop::SourceId QtRunLoop::addSource(int fd, ReadyHandler ready, FailedHandler failed) {
    const SourceId id = nextId++;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [this, id, fd, ready = std::move(ready), failed = std::move(failed)] {
                         pollfd state{fd, POLLIN, 0};
                         if (::poll(&state, 1, 0) <= 0 ||
                             !(state.revents & (POLLNVAL | POLLERR | POLLHUP))) {
                             ready();
                             return;
                         }
                         // Left watched, the error would wake the notifier again at once.
                         removeSource(id);
                         if (failed)
                             failed();
                     });
    sources.emplace(id, notifier);
    return id;
}

void QtRunLoop::removeSource(SourceId id) {
    const auto it = sources.find(id);
    if (it == sources.end())
        return;
    if (QSocketNotifier* notifier = it->second.data()) {
        notifier->setEnabled(false);
        // It may be running its own handler right now: delete it once that has returned.
        notifier->deleteLater();
    }
    sources.erase(it);
}

} // namespace zentrivo
