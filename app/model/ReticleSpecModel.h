#pragma once

#include "PlatformProfile.h"
#include "ReticleSpec.h"

#include <optional>

namespace zentrivo {

class Defaults;

/// The near panel (`mainSpec`) and the far panel (`farSpec`) the reticle shows. Loaded once;
/// every change of a ring slot saves its whole panel, a change of a centre slot alone never does.
class ReticleSpecModel {
public:
    ReticleSpecModel(Defaults& defaults, const PlatformProfile& profile);
    ReticleSpecModel(const ReticleSpecModel&) = delete;
    ReticleSpecModel& operator=(const ReticleSpecModel&) = delete;

    const ReticleSpec& mainSpec() const noexcept { return main; }
    const ReticleSpec& farSpec() const noexcept { return farPanel; }
    /// True while the far panel has an action in one of its ring slots.
    bool anyFarSpecConfigured() const noexcept { return anyFar; }

    void setMainSlot(std::optional<Action> action, Directional position);
    void setFarSlot(std::optional<Action> action, Directional position);
    /// Replaces the whole near panel in memory (a configuration import stores the text itself).
    void setMainSpec(ReticleSpec spec);
    /// Takes both panels from their settings again, as at construction (after the settings
    /// themselves were re-read because another process changed them).
    void reload();

    /// True when a ring slot of either panel holds a `lastApp` action.
    bool containsLastApp() const;

    /// The slot action lookup: with the far panel showing, the far slot or, when that is empty,
    /// the near slot at the same position; otherwise the near slot.
    const std::optional<Action>& action(Directional position, bool far) const;

    /// The default near panel of this platform.
    ReticleSpec defaultMainSpec() const { return profile.defaultMainSpec(); }
    /// The default far panel: `id` 1, all slots empty.
    static ReticleSpec defaultFarSpec();

private:
    Defaults& defaults;
    const PlatformProfile& profile;
    ReticleSpec main;
    ReticleSpec farPanel;
    bool anyFar = false;
};

} // namespace zentrivo
