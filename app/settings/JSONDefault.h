#pragma once

#include "StringDefault.h"

#include <exception>
#include <optional>

namespace zentrivo {

/// A record stored as JSON text. `T` offers `toJsonString()` and a static
/// `fromJsonString(text)` answering none for text that is no valid record.
template <typename T> class JSONDefault final : public StringDefault {
public:
    JSONDefault(DefaultsDatabase& db, std::string key) : StringDefault(db, std::move(key)) {
        typeInitialized = false;
        decode();
        typeInitialized = true;
    }

    /// None when nothing is stored or the stored text does not decode.
    const std::optional<T>& typedValue() const noexcept { return typed; }

    /// Stores the record's JSON text when it differs from the stored text. A record that cannot
    /// be encoded (text that is not UTF-8, such as some file names) is kept in memory only.
    void setTypedValue(const T& record) {
        typed = record;
        if (!typeInitialized)
            return;
        std::string text;
        try {
            text = record.toJsonString();
        } catch (const std::exception&) {
            return;
        }
        if (cached && *cached == text && stored)
            return;
        StringDefault::set(std::move(text));
    }

    /// Stores text directly; the typed record follows it.
    void set(std::optional<std::string> text) {
        StringDefault::set(std::move(text));
        decode();
    }

    void reload() override {
        StringDefault::reload();
        decode();
    }

    /// Keeps the typed record in step with the stored text, without writing the record back.
    void load(const CodableDefault& from) override {
        StringDefault::load(from);
        decode();
    }

private:
    void decode() { typed = cached ? T::fromJsonString(*cached) : std::nullopt; }

    bool typeInitialized = false;
    std::optional<T> typed;
};

} // namespace zentrivo
