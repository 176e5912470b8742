#include "QtRunLoop.h"

namespace zentrivo {

QtRunLoop::~QtRunLoop() {
    for (auto& [id, notifier] : sources)
        delete notifier.data();
}

RunLoop::SourceId QtRunLoop::addSource(int fd, ReadyHandler ready) {
    const SourceId id = nextId++;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [ready = std::move(ready)] { ready(); });
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
