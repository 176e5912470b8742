#pragma once

#include <QDBusConnection>
#include <QStringList>

namespace zentrivo::platform {

/// Talks to a running main program over the session bus: what a second start and zentrivoctl
/// send. Every call blocks until the running program has answered (or 5 seconds passed).
class DBusShellClient {
public:
    enum class Outcome {
        done,
        /// No program owns the bus name (or there is no session bus at all).
        notRunning,
        /// It runs but did not take the request; `error` says why.
        failed,
    };

    explicit DBusShellClient(const QDBusConnection& bus);

    /// The user opened the program again.
    Outcome reopen(QString* error = nullptr);
    /// Command URLs for the running program, handled in order.
    Outcome openURLs(const QStringList& urls, QString* error = nullptr);
    /// Announces that `keys` were written or deleted. Returns once the bus has the signal, so
    /// a program that ends right after does not lose it; false without a bus.
    bool announceDefaultsChanged(const QStringList& keys);

private:
    Outcome call(const char* method, const QVariantList& arguments, QString* error);
    QDBusConnection bus;
};

} // namespace zentrivo::platform
