// The scalar and text settings: read once at creation, compare before every write.
#include "BoolDefault.h"
#include "DateDefault.h"
#include "DefaultsSave.h"
#include "DoubleDefault.h"
#include "FloatDefault.h"
#include "IntDefault.h"
#include "StringDefault.h"

namespace zentrivo {
namespace {

template <typename Read> auto readStored(const DefaultsDatabase& db, const std::string& key, Read read) {
    const auto stored = db.value(key);
    return read(stored ? &*stored : nullptr);
}

} // namespace

BoolDefault::BoolDefault(DefaultsDatabase& db, std::string key)
    : db(db), keyName(std::move(key)), cached(readStored(db, keyName, readBool)) {}

void BoolDefault::reload() {
    cached = readStored(db, keyName, readBool);
    stored = true;
}

void BoolDefault::set(bool newValue) {
    if (newValue == cached && stored)
        return;
    cached = newValue;
    stored = saveDefault(db, PropertyValue{cached}, keyName);
}

void BoolDefault::load(const CodableDefault& from) {
    if (from.boolValue)
        set(*from.boolValue);
}

IntDefault::IntDefault(DefaultsDatabase& db, std::string key, std::optional<std::int64_t> fallback)
    : db(db), keyName(std::move(key)), fallback(fallback) {
    reload();
}

void IntDefault::reload() {
    cached = readStored(db, keyName, readInteger);
    if (cached == 0 && fallback)
        cached = *fallback;
    stored = true;
}

void IntDefault::set(std::int64_t newValue) {
    if (newValue == cached && stored)
        return;
    cached = newValue;
    stored = saveDefault(db, PropertyValue{cached}, keyName);
}

void IntDefault::load(const CodableDefault& from) {
    if (from.intValue)
        set(*from.intValue);
}

FloatDefault::FloatDefault(DefaultsDatabase& db, std::string key, std::optional<float> fallback)
    : db(db), keyName(std::move(key)), fallback(fallback) {
    reload();
}

void FloatDefault::reload() {
    cached = readStored(db, keyName, readFloat);
    if (cached == 0 && fallback)
        cached = *fallback;
    stored = true;
}

void FloatDefault::set(float newValue) {
    if (newValue == cached && stored)
        return;
    cached = newValue;
    stored = saveDefault(db, PropertyValue{cached}, keyName);
}

void FloatDefault::load(const CodableDefault& from) {
    if (from.floatValue)
        set(*from.floatValue);
}

DoubleDefault::DoubleDefault(DefaultsDatabase& db, std::string key)
    : db(db), keyName(std::move(key)), cached(readStored(db, keyName, readDouble)) {}

void DoubleDefault::reload() {
    cached = readStored(db, keyName, readDouble);
    stored = true;
}

void DoubleDefault::set(double newValue) {
    if (newValue == cached && stored)
        return;
    cached = newValue;
    stored = saveDefault(db, PropertyValue{cached}, keyName);
}

void DoubleDefault::load(const CodableDefault& from) {
    if (from.doubleValue)
        set(*from.doubleValue);
}

StringDefault::StringDefault(DefaultsDatabase& db, std::string key)
    : db(db), keyName(std::move(key)) {
    StringDefault::reload();
}

void StringDefault::reload() {
    const auto value = db.value(keyName);
    const std::string* text = value ? readString(&*value) : nullptr;
    cached = text ? std::optional<std::string>(*text) : std::nullopt;
    stored = true;
}

void StringDefault::set(std::optional<std::string> newValue) {
    if (newValue == cached && stored)
        return;
    cached = std::move(newValue);
    stored = saveDefault(db, cached ? std::optional<PropertyValue>(*cached) : std::nullopt, keyName);
}

void StringDefault::load(const CodableDefault& from) { StringDefault::set(from.stringValue); }

DateDefault::DateDefault(DefaultsDatabase& db, std::string key) : db(db), keyName(std::move(key)) {
    reload();
}

void DateDefault::reload() {
    const auto value = db.value(keyName);
    const Date* date = value ? readDate(&*value) : nullptr;
    cached = date ? std::optional<Date>(*date) : std::nullopt;
    stored = true;
}

void DateDefault::set(std::optional<Date> newValue) {
    if (newValue == cached && stored)
        return;
    cached = newValue;
    stored = saveDefault(db, cached ? std::optional<PropertyValue>(*cached) : std::nullopt, keyName);
}

void DateDefault::load(const CodableDefault& from) { set(from.date); }

} // namespace zentrivo
