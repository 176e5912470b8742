#pragma once

#include "InputEvent.h"
#include "RestToOneDelegate.h"
#include "app/settings/IntDefault.h"

#include <optional>

namespace zentrivo {

/// Recognises the rest-to-one trackpad gesture: N fingers (`restToOneTouches`) rest still, all but
/// one lift within a short time, and the last one steers until it lifts too. A passive state
/// machine fed with every gesture frame, on the main thread; times are the events' own.
class RestToOneRecognizer {
public:
    enum class State { waiting, resting, lifting, triggered };

    /// A rest counts only once this long has passed since more than N touches were last seen.
    static constexpr double settleWindow = 0.4;
    /// The single remaining finger must be seen at most this long after the first lift.
    static constexpr double liftWindow = 0.4;
    /// How far (points, along either axis) a resting finger may slide before the lift.
    static constexpr double slideTolerance = 50.0;

    /// `restToOneTouches` is read at every event.
    explicit RestToOneRecognizer(const IntDefault& restToOneTouches);
    RestToOneRecognizer(const RestToOneRecognizer&) = delete;
    RestToOneRecognizer& operator=(const RestToOneRecognizer&) = delete;

    /// Feeds one event; anything but a gesture event is ignored.
    void handle(const InputEvent& event);
    /// Ends a recognised gesture (telling the delegate) and forgets everything.
    void reset();

    State state() const;

    /// Not owned; set by the coordinator right after construction. Null: nobody is told.
    RestToOneDelegate* delegate = nullptr;

private:
    const IntDefault& restToOneTouches;
    std::optional<InputEvent> restEvent;
    std::optional<double> lessThanRestTimestamp;
    std::optional<double> moreThanRestTimestamp;
    bool triggered = false;
};

} // namespace zentrivo
