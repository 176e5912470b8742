#include "EventTapListener.h"

#include <utility>

namespace zentrivo {

EventTapListener::EventTapListener(EventTapService& taps, RunLoop& mainLoop, MainQueue& mainQueue,
                                   EventMask mask, bool onMain, Filterer filterer, Handler handler)
    : taps(taps), mainLoop(mainLoop), mainQueue(mainQueue), mask(mask),
      filterer(std::move(filterer)), handler(std::move(handler)), onMain(onMain),
      alive(std::make_shared<EventTapListener*>(this)) {}

EventTapListener::~EventTapListener() {
    stop();
}

void EventTapListener::start() {
    if (tap)
        stop();
    const std::uint64_t generation = ++tapGeneration;
    auto created = taps.createTap(mask, [this, generation](TapNotice notice, const InputEvent* e) {
        return tapCallback(generation, notice, e);
    });
    if (!created)
        return;
    if (onMain) {
        created->addToRunLoop(mainLoop);
        tap = std::move(created);
        return;
    }
    auto serving = std::make_unique<RunLoopThread>();
    if (!serving->start()) {
        created->setEnabled(false);
        return;
    }
    thread = std::move(serving);
    created->addToRunLoop(*thread);
    tap = std::move(created);
}

void EventTapListener::stop() {
    if (tap) {
        if (onMain) {
            tap->removeFromRunLoop(mainLoop);
        } else {
            tap->removeFromRunLoop(*thread);
            thread->stop();
            thread.reset();
        }
        tap->setEnabled(false);
    }
    tap.reset();
}

bool EventTapListener::tapCallback(std::uint64_t generation, TapNotice notice,
                                   const InputEvent* event) {
    std::weak_ptr<EventTapListener*> weak = alive;
    if (notice == TapNotice::disabledBySystem) {
        // Replacing the tap here, inside its own callback, would destroy the tap that is calling
        // us and, off the main loop, make the serving thread join itself. The main thread owns
        // start() and stop(), so the replacement is made there, right after this returns.
        mainQueue.post([weak, generation] {
            const auto self = weak.lock();
            if (!self || (*self)->tapGeneration != generation || !(*self)->tap)
                return;
            (*self)->stop();
            (*self)->start();
        });
        return false;
    }
    if (!event)
        return false;
    const bool suppress = filterer && filterer(*event);
    mainQueue.post([weak, copy = *event] {
        if (const auto self = weak.lock())
            (*self)->handler(copy);
    });
    return suppress;
}

} // namespace zentrivo
