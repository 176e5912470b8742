#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrivo {

/// The user's cloud key-value store: string values under keys, changed from outside (another
/// machine of the user, through whatever syncs the store).
class CloudStore {
public:
    using ChangeHandler = std::function<void(const std::vector<std::string>& changedKeys)>;

    CloudStore() = default;
    virtual ~CloudStore() = default;
    CloudStore(const CloudStore&) = delete;
    CloudStore& operator=(const CloudStore&) = delete;

    /// The text under `key`, or none when there is none or it cannot be read.
    virtual std::optional<std::string> string(std::string_view key) const = 0;
    /// From now on, calls `handler` on the main thread with the keys that changed; a value
    /// already present counts as changed once, right after this call returns.
    virtual void observeChanges(ChangeHandler handler) = 0;
};

} // namespace zentrivo
