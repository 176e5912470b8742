#pragma once

#include "Action.h"
#include "Directional.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace zentrivo {

/// One panel of nine slots: the near panel (`id` 0) or the far panel (`id` 1).
struct ReticleSpec {
    std::int64_t id = 0;
    std::optional<Action> tl = {}, t = {}, tr = {}, l = {}, r = {}, bl = {}, b = {}, br = {},
                          c = {};

    bool operator==(const ReticleSpec&) const = default;

    const std::optional<Action>& slot(Directional d) const;
    void setSlot(Directional d, std::optional<Action> action);

    /// The actions of the non-empty ring slots in `ringDirections` order; never the centre.
    std::vector<Action> ringActions() const;

    /// Compact JSON, keys in declaration order, empty slots left out. Throws
    /// `nlohmann::json::exception` when a slot's text is not UTF-8.
    std::string toJsonString() const;
    nlohmann::ordered_json toJson() const;
    /// None when the text is not a whole valid record (no partial results).
    static std::optional<ReticleSpec> fromJsonString(const std::string& text);
    /// Throws when `json` is no valid record.
    static ReticleSpec fromJson(const nlohmann::ordered_json& json);

private:
    std::optional<Action>& slotRef(Directional d);
};

} // namespace zentrivo
