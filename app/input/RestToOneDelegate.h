#pragma once

#include <optional>

namespace zentrivo {

/// Told when the rest-to-one gesture begins and ends. The gesture coordinator implements it; the
/// command URLs "show" and "close" drive the same two calls.
class RestToOneDelegate {
public:
    RestToOneDelegate() = default;
    virtual ~RestToOneDelegate() = default;
    RestToOneDelegate(const RestToOneDelegate&) = delete;
    RestToOneDelegate& operator=(const RestToOneDelegate&) = delete;

    /// The gesture was recognised. `minDist`: how far the cursor must travel before the reticle
    /// appears; none leaves it to the reticle's own setting (the recognizer always sends none).
    virtual void restToOneBegan(std::optional<float> minDist) = 0;
    /// The gesture is over; `performAction` says whether the selected slot is to be performed
    /// (the recognizer always sends true).
    virtual void restToOneEnded(bool performAction) = 0;
};

} // namespace zentrivo
