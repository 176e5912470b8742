#include "ReticleSpec.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

namespace zentrivo {

std::optional<Action>& ReticleSpec::slotRef(Directional d) {
    switch (d) {
    case Directional::tl: return tl;
    case Directional::t: return t;
    case Directional::tr: return tr;
    case Directional::l: return l;
    case Directional::r: return r;
    case Directional::bl: return bl;
    case Directional::b: return b;
    case Directional::br: return br;
    case Directional::c: return c;
    }
    return c;
}

const std::optional<Action>& ReticleSpec::slot(Directional d) const {
    return const_cast<ReticleSpec*>(this)->slotRef(d);
}

void ReticleSpec::setSlot(Directional d, std::optional<Action> action) {
    slotRef(d) = std::move(action);
}

std::vector<Action> ReticleSpec::ringActions() const {
    std::vector<Action> actions;
    for (Directional d : ringDirections)
        if (const auto& a = slot(d))
            actions.push_back(*a);
    return actions;
}

nlohmann::ordered_json ReticleSpec::toJson() const {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["id"] = id;
    for (Directional d : allDirections)
        if (const auto& a = slot(d))
            json[name(d)] = a->toJson();
    return json;
}

std::string ReticleSpec::toJsonString() const { return toJson().dump(); }

ReticleSpec ReticleSpec::fromJson(const nlohmann::ordered_json& json) {
    if (!json.is_object())
        throw std::invalid_argument("panel is not an object");
    const auto& id = json.at("id");
    if (!id.is_number_integer() ||
        (id.is_number_unsigned() &&
         id.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX)))
        throw std::invalid_argument("id is not a 64-bit integer");
    ReticleSpec spec;
    spec.id = id.get<std::int64_t>();
    for (Directional d : allDirections) {
        const auto it = json.find(name(d));
        if (it == json.end() || it->is_null())
            continue;
        spec.setSlot(d, Action::fromJson(*it));
    }
    return spec;
}

std::optional<ReticleSpec> ReticleSpec::fromJsonString(const std::string& text) {
    try {
        return fromJson(nlohmann::ordered_json::parse(text));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace zentrivo
