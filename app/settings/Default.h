#pragma once

#include "CodableDefault.h"

#include <string>

namespace zentrivo {

/// What every typed setting offers to the configuration import, which feeds values into
/// settings without knowing their kinds.
class Default {
public:
    Default() = default;
    virtual ~Default() = default;
    Default(const Default&) = delete;
    Default& operator=(const Default&) = delete;

    virtual const std::string& key() const = 0;
    /// Takes the member of `value` that matches this setting's kind; see each class for what a
    /// missing member does.
    virtual void load(const CodableDefault& value) = 0;
    /// Reads the stored value again, as the constructor does: another process (zentrivoctl)
    /// changed the database behind this object's back.
    virtual void reload() = 0;
};

} // namespace zentrivo
