#include "Shortcut.h"

#include "app/settings/Defaults.h"

#include <array>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <utility>

namespace zentrivo {
namespace {

constexpr std::array<std::pair<std::int64_t, std::int64_t>, 4> modifierTable{{
    {modifierFlags::command, carbonModifier::cmdKey},
    {modifierFlags::shift, carbonModifier::shiftKey},
    {modifierFlags::option, carbonModifier::optionKey},
    {modifierFlags::control, carbonModifier::controlKey},
}};

std::int64_t integerMember(const nlohmann::ordered_json& json, const char* key) {
    const auto& value = json.at(key);
    if (!value.is_number_integer() ||
        (value.is_number_unsigned() &&
         value.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX)))
        throw std::invalid_argument(std::string(key) + " is not a 64-bit integer");
    return value.get<std::int64_t>();
}

} // namespace

std::int64_t Shortcut::carbonModifiersFrom(std::uint64_t modifierFlags) {
    std::int64_t carbon = 0;
    for (const auto& [flag, carbonBit] : modifierTable)
        if (modifierFlags & static_cast<std::uint64_t>(flag))
            carbon |= carbonBit;
    return carbon;
}

std::uint64_t Shortcut::modifierFlagsFrom(std::int64_t carbonModifiers) {
    std::uint64_t flags = 0;
    for (const auto& [flag, carbonBit] : modifierTable)
        if (carbonModifiers & carbonBit)
            flags |= static_cast<std::uint64_t>(flag);
    return flags;
}

nlohmann::ordered_json Shortcut::toJson() const {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["carbonKeyCode"] = carbonKeyCode;
    json["carbonModifiers"] = carbonModifiers;
    return json;
}

Shortcut Shortcut::fromJson(const nlohmann::ordered_json& json) {
    if (!json.is_object())
        throw std::invalid_argument("shortcut is not an object");
    return {integerMember(json, "carbonKeyCode"), integerMember(json, "carbonModifiers")};
}

std::optional<Shortcut> Shortcut::fromJsonString(const std::string& text) {
    try {
        return fromJson(nlohmann::ordered_json::parse(text));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace zentrivo
