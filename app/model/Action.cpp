#include "Action.h"

#include <cstdlib>
#include <stdexcept>

#include <nlohmann/json.hpp>
#include <utf8proc.h>

namespace zentrivo {
namespace {

bool isAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

} // namespace

std::string canonicalForm(const std::string& text) {
    // ASCII is already in every normal form; this keeps the common case free of allocation.
    if (isAscii(text))
        return text;
    utf8proc_uint8_t* out = nullptr;
    const auto length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                     static_cast<utf8proc_ssize_t>(text.size()), &out,
                     static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    if (length < 0)
        return text;
    std::string result(reinterpret_cast<char*>(out), static_cast<std::size_t>(length));
    std::free(out);
    return result;
}

bool operator==(const Action& a, const Action& b) {
    if (a.type != b.type)
        return false;
    if (a.stringValue == b.stringValue)
        return true;
    if (isAscii(a.stringValue) && isAscii(b.stringValue))
        return false;
    return canonicalForm(a.stringValue) == canonicalForm(b.stringValue);
}

Action Action::fromJson(const nlohmann::ordered_json& json) {
    if (!json.is_object())
        throw std::invalid_argument("action is not an object");
    const auto& text = json.at("stringValue");
    const auto& type = json.at("type");
    if (!text.is_string())
        throw std::invalid_argument("stringValue is not a string");
    if (!type.is_number_integer())
        throw std::invalid_argument("type is not an integer");
    std::optional<ActionType> actionType;
    if (type.is_number_unsigned())
        actionType = type.get<std::uint64_t>() <= 3
                         ? actionTypeFromRaw(static_cast<long long>(type.get<std::uint64_t>()))
                         : std::nullopt;
    else
        actionType = actionTypeFromRaw(type.get<std::int64_t>());
    if (!actionType)
        throw std::invalid_argument("type is out of range");
    return Action{text.get<std::string>(), *actionType};
}

nlohmann::ordered_json Action::toJson() const {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    json["stringValue"] = stringValue;
    json["type"] = static_cast<int>(type);
    return json;
}

} // namespace zentrivo

std::size_t std::hash<zentrivo::Action>::operator()(const zentrivo::Action& action) const noexcept {
    // Equal actions must hash alike, so hash the canonical form of the text, then the type.
    std::size_t h = std::hash<std::string>{}(zentrivo::canonicalForm(action.stringValue));
    const auto t = static_cast<std::size_t>(action.type);
    h ^= t + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h;
}
