#include "CodableColor.h"
#include "ColorDefault.h"
#include "DefaultsSave.h"

#include <nlohmann/json.hpp>

namespace zentrivo {

std::string CodableColor::toJsonString() const {
    nlohmann::ordered_json json{{"red", red}, {"green", green}, {"blue", blue}};
    if (alpha)
        json["alpha"] = *alpha;
    return json.dump();
}

std::optional<CodableColor> CodableColor::fromJsonString(const std::string& text) {
    try {
        const auto json = nlohmann::json::parse(text);
        auto component = [&](const char* name) {
            const auto& v = json.at(name);
            if (!v.is_number())
                throw std::invalid_argument(name);
            return v.get<double>();
        };
        CodableColor color{component("red"), component("green"), component("blue"), std::nullopt};
        if (const auto it = json.find("alpha"); it != json.end() && !it->is_null()) {
            if (!it->is_number())
                return std::nullopt;
            color.alpha = it->get<double>();
        }
        return color;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

ColorDefault::ColorDefault(DefaultsDatabase& db, std::string key, Color fallback)
    : db(db), keyName(std::move(key)), fallback(fallback), cached(fallback) {
    reload();
}

void ColorDefault::reload() {
    cached = fallback;
    stored = true;
    const auto value = db.value(keyName);
    if (const std::string* text = value ? readString(&*value) : nullptr)
        apply(*text);
}

bool ColorDefault::apply(const std::string& json) {
    const auto decoded = CodableColor::fromJsonString(json);
    if (!decoded)
        return false;
    cached = decoded->color();
    return true;
}

void ColorDefault::set(const std::string& codableColorJson) {
    const Color previous = cached;
    // Like every setting, a colour that is already set causes no database traffic.
    if (apply(codableColorJson) && (cached != previous || !stored))
        stored = saveDefault(db, PropertyValue{codableColorJson}, keyName);
}

void ColorDefault::load(const CodableDefault& from) {
    if (!from.stringValue)
        return;
    apply(*from.stringValue);
    stored = saveDefault(db, PropertyValue{*from.stringValue}, keyName);
}

} // namespace zentrivo
