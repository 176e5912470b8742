#include "ReticleSpecModel.h"

#include "app/settings/Defaults.h"

namespace zentrivo {

ReticleSpec ReticleSpecModel::defaultFarSpec() {
    ReticleSpec spec;
    spec.id = 1;
    return spec;
}

ReticleSpecModel::ReticleSpecModel(Defaults& defaults, const PlatformProfile& profile)
    : defaults(defaults), profile(profile),
      // The platform's default costs application lookups; ask for it only when it is used.
      main(defaults.mainReticleSpec.typedValue() ? *defaults.mainReticleSpec.typedValue()
                                                 : profile.defaultMainSpec()),
      farPanel(defaults.farReticleSpec.typedValue().value_or(defaultFarSpec())),
      anyFar(!farPanel.ringActions().empty()) {}

void ReticleSpecModel::setMainSlot(std::optional<Action> action, Directional position) {
    main.setSlot(position, std::move(action));
    if (position != Directional::c)
        defaults.mainReticleSpec.setTypedValue(main);
}

void ReticleSpecModel::setFarSlot(std::optional<Action> action, Directional position) {
    farPanel.setSlot(position, std::move(action));
    if (position != Directional::c)
        defaults.farReticleSpec.setTypedValue(farPanel);
    anyFar = !farPanel.ringActions().empty();
}

void ReticleSpecModel::setMainSpec(ReticleSpec spec) { main = std::move(spec); }

void ReticleSpecModel::reload() {
    main = defaults.mainReticleSpec.typedValue() ? *defaults.mainReticleSpec.typedValue()
                                                 : profile.defaultMainSpec();
    farPanel = defaults.farReticleSpec.typedValue().value_or(defaultFarSpec());
    anyFar = !farPanel.ringActions().empty();
}

bool ReticleSpecModel::containsLastApp() const {
    auto isLastApp = [](const std::optional<Action>& a) {
        return a && a->type == ActionType::lastApp;
    };
    for (Directional d : ringDirections)
        if (isLastApp(main.slot(d)) || isLastApp(farPanel.slot(d)))
            return true;
    return false;
}

const std::optional<Action>& ReticleSpecModel::action(Directional position, bool far) const {
    if (far) {
        if (const auto& a = farPanel.slot(position))
            return a;
    }
    return main.slot(position);
}

} // namespace zentrivo
