#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zentrivo {

struct Notification {
    std::string name;
    /// The optional object that travels with the notification (an `AppUpdate`, say); empty when
    /// there is none.
    std::any object;
};

/// The program's own default notification centre: plain names, synchronous delivery on the
/// posting thread, in the order the observers were added.
class NotificationCenter {
public:
    using Token = std::uint64_t;
    using Handler = std::function<void(const Notification&)>;

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    /// Observes every notification named `name`. The token removes the observer again.
    Token addObserver(std::string name, Handler handler);
    /// Removing an unknown or already removed token does nothing.
    void removeObserver(Token token);

    /// Delivers to every observer of `name`. An observer added or removed by a handler takes
    /// effect from the next post on.
    void post(std::string_view name, std::any object = {});

private:
    struct Observer {
        Token token;
        std::string name;
        std::shared_ptr<Handler> handler;
    };
    std::vector<Observer> observers;
    Token nextToken = 1;
};

} // namespace zentrivo
