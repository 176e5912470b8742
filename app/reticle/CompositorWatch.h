#pragma once

#include <functional>

namespace zentrivo {

/// Whether a compositing manager runs, which decides whether the reticle's translucent parts
/// show the desktop through or come out black. Main thread only.
class CompositorWatch {
public:
    CompositorWatch() = default;
    virtual ~CompositorWatch() = default;
    CompositorWatch(const CompositorWatch&) = delete;
    CompositorWatch& operator=(const CompositorWatch&) = delete;

    /// True while a compositing manager runs; false when none runs or it cannot be told.
    virtual bool isCompositing() const = 0;
    /// `handler` runs on the main thread each time a compositing manager starts or stops, with the
    /// new state. Replaces an earlier handler; an empty one removes it.
    virtual void setChangeHandler(std::function<void(bool compositing)> handler) = 0;
};

} // namespace zentrivo
