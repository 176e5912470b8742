#pragma once

#include "app/core/Log.h"
#include "app/reticle/Appearance.h"

#include <QDBusConnection>
#include <map>
#include <memory>

class QObject;

namespace zentrivo::platform {

/// The colour-scheme preference of the freedesktop settings portal (namespace
/// "org.freedesktop.appearance", key "color-scheme": 1 dark, 2 light, 0 none), read once
/// without blocking and followed through the portal's `SettingChanged` signal. Without a bus or
/// a portal the preference stays `noPreference` (one log line says so) and observers are called
/// only for changes the portal reports.
class PortalAppearance final : public Appearance {
public:
    PortalAppearance(const QDBusConnection& bus, Log& log);
    ~PortalAppearance() override;

    ColorScheme colorScheme() const override { return scheme; }
    Token addObserver(std::function<void()> observer) override;
    void removeObserver(Token token) override;

    /// The scheme a portal value stands for; anything but 1 and 2 is no preference.
    static ColorScheme schemeFor(unsigned value);

private:
    void update(ColorScheme newScheme);

    QDBusConnection bus;
    Log& log;
    ColorScheme scheme = ColorScheme::noPreference;
    std::map<Token, std::shared_ptr<const std::function<void()>>> observers;
    Token nextToken = 1;
    /// Receives the signal and the first reading; Qt D-Bus delivers to QObjects.
    std::unique_ptr<QObject> receiver;
};

} // namespace zentrivo::platform
