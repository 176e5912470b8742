#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zentrivo {

/// Notifications between programs of the same user session: a name and an object string, no
/// payload beyond that.
class DistributedNotifications {
public:
    using Token = std::uint64_t;
    using Handler = std::function<void()>;

    DistributedNotifications() = default;
    virtual ~DistributedNotifications() = default;
    DistributedNotifications(const DistributedNotifications&) = delete;
    DistributedNotifications& operator=(const DistributedNotifications&) = delete;

    /// Sends `name` with `object` to every observer in the session, this program's included.
    /// Without a session nothing is sent.
    virtual void post(std::string_view name, std::string_view object) = 0;
    /// Calls `handler` on the main thread for every notification with exactly this name and
    /// object, until removed.
    virtual Token addObserver(std::string name, std::string object, Handler handler) = 0;
    /// Removes an observer; an unknown token is ignored.
    virtual void removeObserver(Token token) = 0;
};

} // namespace zentrivo
