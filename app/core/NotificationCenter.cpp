#include "NotificationCenter.h"

#include <algorithm>

namespace zentrivo {

NotificationCenter::Token NotificationCenter::addObserver(std::string name, Handler handler) {
    const Token token = nextToken++;
    observers.push_back({token, std::move(name), std::make_shared<Handler>(std::move(handler))});
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    std::erase_if(observers, [token](const Observer& o) { return o.token == token; });
}

void NotificationCenter::post(std::string_view name, std::any object) {
    // Handlers may add or remove observers while we deliver, so deliver from a snapshot.
    std::vector<std::shared_ptr<Handler>> targets;
    for (const auto& o : observers)
        if (o.name == name)
            targets.push_back(o.handler);
    const Notification note{std::string(name), std::move(object)};
    for (const auto& handler : targets)
        (*handler)(note);
}

} // namespace zentrivo
