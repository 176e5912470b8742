#include "RestToOneRecognizer.h"

#include "TouchUtil.h"

#include <algorithm>

namespace zentrivo {

RestToOneRecognizer::RestToOneRecognizer(const IntDefault& restToOneTouches)
    : restToOneTouches(restToOneTouches) {}

RestToOneRecognizer::State RestToOneRecognizer::state() const {
    if (triggered)
        return State::triggered;
    if (!restEvent)
        return State::waiting;
    return lessThanRestTimestamp ? State::lifting : State::resting;
}

void RestToOneRecognizer::handle(const InputEvent& event) {
    if (event.type != EventType::gesture)
        return;
    const auto& touches = event.touches;
    const double now = event.timestamp;

    if (std::all_of(touches.begin(), touches.end(),
                    [](const Touch& t) { return t.phase == touchPhaseEnded; }))
        reset();

    const int counts = TouchUtil::phaseCounts(touches);

    if (restEvent && !lessThanRestTimestamp && (counts & TouchUtil::endingMask) != 0) {
        if (!TouchUtil::stayedPut(restEvent->touches, touches, slideTolerance)) {
            reset();
            return;
        }
        lessThanRestTimestamp = now;
    }

    // Read as a count of touches: a negative setting can match no frame.
    const std::int64_t n = restToOneTouches.value();
    if (static_cast<std::int64_t>(touches.size()) > n) {
        restEvent.reset();
        moreThanRestTimestamp = now;
    }

    if (n >= 0 && n <= 15 && counts == n * TouchUtil::touching) {
        if (!restEvent && !(moreThanRestTimestamp && now - *moreThanRestTimestamp < settleWindow))
            restEvent = event;
        return;
    }
    if (counts == TouchUtil::touching) {
        if (triggered || !restEvent || !lessThanRestTimestamp)
            return;
        if (now - *lessThanRestTimestamp <= liftWindow) {
            triggered = true;
            if (delegate)
                delegate->restToOneBegan(std::nullopt);
            return;
        }
        reset();
        return;
    }
    if (triggered)
        reset();
}

void RestToOneRecognizer::reset() {
    if (triggered) {
        // Cleared first, so that a delegate that resets again reports no second end.
        triggered = false;
        if (delegate)
            delegate->restToOneEnded(true);
    }
    restEvent.reset();
    lessThanRestTimestamp.reset();
    moreThanRestTimestamp.reset();
}

} // namespace zentrivo
