#pragma once

#include "app/core/Log.h"
#include "app/login/DistributedNotifications.h"
#include "app/login/RunningPrograms.h"

#include <QDBusConnection>
#include <map>
#include <memory>

class QObject;

namespace zentrivo::platform {

/// How a notification travels on the session bus, the same for every program of ours: the signal
/// `Posted(name, object)` of this interface at this path. Notification names hold dots, which a
/// D-Bus member name cannot, so they travel as the signal's first argument.
namespace distributedSignal {
inline constexpr const char* path = "/com/tovelane/Zentrivo/DistributedNotifications";
inline constexpr const char* interface = "com.tovelane.Zentrivo.DistributedNotifications";
inline constexpr const char* member = "Posted";
} // namespace distributedSignal

/// Distributed notifications as session-bus signals, and "running" as owning a bus name.
/// Observers run on the thread that created this object (the main thread). Without a bus
/// connection one log line says so; nothing is sent or received and nothing counts as running.
class DBusNotifications final : public DistributedNotifications, public RunningPrograms {
public:
    DBusNotifications(const QDBusConnection& bus, Log& log);
    ~DBusNotifications() override;

    void post(std::string_view name, std::string_view object) override;
    Token addObserver(std::string name, std::string object, Handler handler) override;
    void removeObserver(Token token) override;

    bool isRunning(std::string_view identifier) const override;

private:
    void received(const std::string& name, const std::string& object);

    struct Observer {
        std::string name;
        std::string object;
        std::shared_ptr<const Handler> handler;
    };
    QDBusConnection bus;
    Log& log;
    std::map<Token, Observer> observers;
    Token nextToken = 1;
    /// Qt D-Bus delivers signals to a slot of a QObject.
    std::unique_ptr<QObject> receiver;
};

} // namespace zentrivo::platform
