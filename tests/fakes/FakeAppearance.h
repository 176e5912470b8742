#pragma once

#include "app/reticle/Appearance.h"

#include <map>

namespace zentrivo::test {

/// A colour-scheme preference the test sets; `set` tells the observers as the desktop would.
class FakeAppearance final : public Appearance {
public:
    ColorScheme colorScheme() const override { return scheme; }
    Token addObserver(std::function<void()> observer) override {
        observers.emplace(nextToken, std::move(observer));
        return nextToken++;
    }
    void removeObserver(Token token) override { observers.erase(token); }

    void set(ColorScheme newScheme) {
        scheme = newScheme;
        for (const auto& [token, observer] : decltype(observers)(observers))
            observer();
    }

private:
    ColorScheme scheme = ColorScheme::noPreference;
    std::map<Token, std::function<void()>> observers;
    Token nextToken = 1;
};

} // namespace zentrivo::test
