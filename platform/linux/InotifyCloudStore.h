#pragma once

#include "app/core/Log.h"
#include "app/settings/CloudStore.h"

#include <filesystem>
#include <memory>
#include <optional>

class QObject;
class QSocketNotifier;

namespace zentrivo::platform {

/// The cloud store as a folder that the user keeps in sync with any tool: one file per key, the
/// file's text the value. Changes are seen with inotify on the folder, so a file replaced by a
/// rename (as sync tools do) counts as well as one written in place. Keys are file names without
/// a leading dot (sync tools keep their temporary files under such names).
class InotifyCloudStore final : public CloudStore {
public:
    InotifyCloudStore(std::filesystem::path folder, Log& log);
    ~InotifyCloudStore() override;

    std::optional<std::string> string(std::string_view key) const override;
    /// Creates the folder when missing. Without inotify one log line says that changes go
    /// unnoticed; a value present now is still reported once.
    void observeChanges(ChangeHandler handler) override;

    const std::filesystem::path& folder() const noexcept { return root; }

private:
    void readEvents();

    std::filesystem::path root;
    Log& log;
    ChangeHandler handler;
    int fd = -1;
    /// Ties the deferred first report and the notifier's slot to this store's lifetime.
    std::unique_ptr<QObject> context;
    std::unique_ptr<QSocketNotifier> notifier;
};

} // namespace zentrivo::platform
