#pragma once

#include "CodableColor.h"
#include "Default.h"
#include "DefaultsDatabase.h"

namespace zentrivo {

/// A colour stored as the JSON text of a `CodableColor`.
class ColorDefault final : public Default {
public:
    /// Reads the stored text; an undecodable or missing one leaves `fallback`.
    ColorDefault(DefaultsDatabase& db, std::string key, Color fallback);

    const Color& value() const noexcept { return cached; }
    /// Sets the colour from a `CodableColor` JSON string and stores the string; a string that does
    /// not decode, or decodes to the colour already set, leaves the colour and the database as
    /// they were.
    void set(const std::string& codableColorJson);

    const std::string& key() const override { return keyName; }
    /// Takes "string": the colour when it decodes, and the text is stored either way.
    void load(const CodableDefault& from) override;
    void reload() override;

private:
    bool apply(const std::string& json);

    DefaultsDatabase& db;
    std::string keyName;
    Color fallback;
    Color cached;
    /// False while the database has refused the cached value: it is written again even when
    /// set unchanged.
    bool stored = true;
};

} // namespace zentrivo
