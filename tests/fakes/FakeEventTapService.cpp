#include "FakeEventTapService.h"

#include <algorithm>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace zentrivo::test {

FakeEventTap::FakeEventTap(FakeEventTapService& service, EventMask mask,
                           EventTapService::Callback callback)
    : service(service), tapMask(mask), callback(std::move(callback)) {
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("pipe2 failed");
    service.live.push_back(this);
}

FakeEventTap::~FakeEventTap() {
    if (loop)
        loop->removeSource(source);
    std::erase(service.live, this);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
}

void FakeEventTap::addToRunLoop(RunLoop& runLoop) {
    if (loop)
        loop->removeSource(source);
    loop = &runLoop;
    source = runLoop.addSource(pipeFds[0], [this] { serve(); });
}

void FakeEventTap::removeFromRunLoop(RunLoop& runLoop) {
    if (loop != &runLoop)
        return;
    runLoop.removeSource(source);
    loop = nullptr;
}

void FakeEventTap::setEnabled(bool on) {
    std::lock_guard lock(mutex);
    enabled = on;
}

bool FakeEventTap::isEnabled() const {
    std::lock_guard lock(mutex);
    return enabled;
}

bool FakeEventTap::isOnLoop() const {
    return loop != nullptr;
}

void FakeEventTap::deliver(const InputEvent& event) {
    push({TapNotice::event, event});
}
void FakeEventTap::deliverUndecodable() {
    push({TapNotice::event, std::nullopt});
}
void FakeEventTap::noticeDisabled() {
    push({TapNotice::disabledBySystem, std::nullopt});
}

void FakeEventTap::push(Pending item) {
    {
        std::lock_guard lock(mutex);
        pending.push_back(std::move(item));
    }
    const char byte = 1;
    if (::write(pipeFds[1], &byte, 1) != 1)
        throw std::runtime_error("pipe write failed");
}

void FakeEventTap::serve() {
    char buffer[64];
    while (::read(pipeFds[0], buffer, sizeof buffer) > 0) {
    }
    for (;;) {
        Pending item{};
        {
            std::lock_guard lock(mutex);
            if (pending.empty())
                return;
            item = std::move(pending.front());
            pending.pop_front();
            if (!enabled)
                continue;
            // A tap only passes the types it was made for.
            if (item.event && !(tapMask & maskOf(item.event->type)))
                continue;
            // Before the call: what the callback queues may be looked at before it returns.
            threadLog.push_back(std::this_thread::get_id());
        }
        const bool answer = callback(item.notice, item.event ? &*item.event : nullptr);
        std::lock_guard lock(mutex);
        answerLog.push_back(answer);
    }
}

std::vector<bool> FakeEventTap::answers() const {
    std::lock_guard lock(mutex);
    return answerLog;
}

std::vector<std::thread::id> FakeEventTap::callbackThreads() const {
    std::lock_guard lock(mutex);
    return threadLog;
}

std::unique_ptr<EventTap> FakeEventTapService::createTap(EventMask mask, Callback callback) {
    ++createAttempts;
    if (!permitted)
        return nullptr;
    return std::make_unique<FakeEventTap>(*this, mask, std::move(callback));
}

} // namespace zentrivo::test
