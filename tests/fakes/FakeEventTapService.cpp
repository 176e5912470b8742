#include "FakeEventTapService.h"

#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace zentrivo::test {

FakeEventTap::FakeEventTap(FakeEventTapService& service, EventMask mask,
                           EventTapService::Callback callback)
    : mask(mask), service(service), callback(std::move(callback)) {
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("pipe2 failed");
    service.live.push_back(this);
}

FakeEventTap::~FakeEventTap() {
    if (loop)
        loop->removeSource(source);
    std::erase(service.live, this);
    for (Pending* item = nullptr; ::read(pipeFds[0], &item, sizeof item) == sizeof item;)
        delete item;
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
}

void FakeEventTap::deliver(std::optional<InputEvent> event, TapNotice notice) {
    auto* item = new Pending{std::move(event), notice};
    if (::write(pipeFds[1], &item, sizeof item) != sizeof item)
        throw std::runtime_error("pipe write failed");
}

void FakeEventTap::serve() {
    for (Pending* item = nullptr; ::read(pipeFds[0], &item, sizeof item) == sizeof item;) {
        const std::unique_ptr<Pending> owned(item);
        if (!item->event || (mask & maskOf(item->event->type)))
            callback(item->notice, item->event ? &*item->event : nullptr);
    }
}

} // namespace zentrivo::test
