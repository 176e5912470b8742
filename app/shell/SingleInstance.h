#pragma once

#include <QString>

namespace zentrivo {

/// Makes the main program single-instance by owning its well-known name on the session bus.
class SingleInstance {
public:
    enum class Outcome {
        /// This process owns the name now.
        owned,
        /// Another process already owns it: this one must not start a second reticle.
        alreadyRunning,
        /// No session bus could be reached; single instance cannot be enforced.
        noBus,
        /// The bus refused the name for another reason (given in `error`).
        failed,
    };

    /// Asks the session bus for `serviceName` without queueing behind a present owner.
    static Outcome claim(const QString& serviceName, QString* error = nullptr);
};

} // namespace zentrivo
