#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <functional>

namespace zentrivo::platform {

/// Where the running main program answers on the session bus. The bus name is the one that
/// makes it single-instance; settings changes travel as a signal that anyone may send.
namespace shellBus {
inline constexpr const char* service = "com.tovelane.ZentrivoPro";
inline constexpr const char* path = "/com/tovelane/ZentrivoPro";
inline constexpr const char* interface = "com.tovelane.ZentrivoPro.Shell";
inline constexpr const char* reopen = "Reopen";
inline constexpr const char* openURLs = "OpenURLs";
inline constexpr const char* defaultsPath = "/com/tovelane/Zentrivo/Defaults";
inline constexpr const char* defaultsInterface = "com.tovelane.Zentrivo.Defaults";
/// `Changed(as keys)`: the keys written or deleted in the defaults database.
inline constexpr const char* defaultsChanged = "Changed";
} // namespace shellBus

/// The main program's object on the session bus: the requests of a second start (reopen, open
/// command URLs) and the settings-changed signal of zentrivoctl. Requests are handled on the
/// main thread, in the order they arrive, once the event loop runs.
class DBusShellService final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.tovelane.ZentrivoPro.Shell")

public:
    struct Handlers {
        std::function<void()> reopen;
        std::function<void(const QStringList& urls)> openURLs;
        std::function<void(const QStringList& keys)> defaultsChanged;
    };

    /// Registers the object and subscribes to the signal; `registered()` tells whether the bus
    /// took the object. Register before owning the name, so no request finds it missing.
    explicit DBusShellService(const QDBusConnection& bus);
    ~DBusShellService() override;

    bool registered() const { return isRegistered; }
    /// Requests that arrive before handlers are set are held and handled then, in order.
    void setHandlers(Handlers handlers);

public Q_SLOTS:
    void Reopen();
    void OpenURLs(const QStringList& urls);

private Q_SLOTS:
    void receiveDefaultsChanged(const QStringList& keys);

private:
    void deliver(std::function<void(const Handlers&)> request);

    QDBusConnection bus;
    bool isRegistered = false;
    Handlers handlers;
    bool hasHandlers = false;
    std::vector<std::function<void(const Handlers&)>> pending;
};

} // namespace zentrivo::platform
