#include "CodableDefault.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace zentrivo {

nlohmann::ordered_json CodableDefault::toJson() const {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    if (boolValue)
        json["bool"] = *boolValue;
    if (intValue)
        json["int"] = *intValue;
    if (floatValue)
        json["float"] = *floatValue;
    if (doubleValue)
        json["double"] = *doubleValue;
    if (stringValue)
        json["string"] = *stringValue;
    if (date)
        json["date"] = date->time_since_epoch().count() - referenceDateOffset;
    return json;
}

CodableDefault CodableDefault::fromJson(const nlohmann::ordered_json& json) {
    if (!json.is_object())
        throw std::invalid_argument("setting value is not an object");
    CodableDefault value;
    auto member = [&](const char* name) -> const nlohmann::ordered_json* {
        const auto it = json.find(name);
        return it == json.end() || it->is_null() ? nullptr : &*it;
    };
    if (auto m = member("bool")) {
        if (!m->is_boolean())
            throw std::invalid_argument("bool");
        value.boolValue = m->get<bool>();
    }
    if (auto m = member("int")) {
        // An unsigned number beyond the signed range would wrap around into a different value.
        if (!m->is_number_integer() ||
            (m->is_number_unsigned() &&
             m->get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX)))
            throw std::invalid_argument("int");
        value.intValue = m->get<std::int64_t>();
    }
    if (auto m = member("float")) {
        // Narrowing a double beyond the float range is undefined behaviour.
        if (!m->is_number() || std::fabs(m->get<double>()) > FLT_MAX)
            throw std::invalid_argument("float");
        value.floatValue = m->get<float>();
    }
    if (auto m = member("double")) {
        if (!m->is_number())
            throw std::invalid_argument("double");
        value.doubleValue = m->get<double>();
    }
    if (auto m = member("string")) {
        if (!m->is_string())
            throw std::invalid_argument("string");
        value.stringValue = m->get<std::string>();
    }
    if (auto m = member("date")) {
        if (!m->is_number())
            throw std::invalid_argument("date");
        value.date = Date(Date::duration(m->get<double>() + referenceDateOffset));
    }
    return value;
}

} // namespace zentrivo
