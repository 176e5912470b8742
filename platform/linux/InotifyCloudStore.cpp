#include "InotifyCloudStore.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits.h>
#include <sstream>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

namespace zentrivo::platform {
namespace {

bool isKey(std::string_view name) {
    return !name.empty() && name.front() != '.' && name.find('/') == std::string_view::npos;
}

} // namespace

InotifyCloudStore::InotifyCloudStore(std::filesystem::path folder, Log& log)
    : root(std::move(folder)), log(log) {}

InotifyCloudStore::~InotifyCloudStore() {
    notifier.reset();
    context.reset();
    if (fd >= 0)
        ::close(fd);
}

std::optional<std::string> InotifyCloudStore::string(std::string_view key) const {
    if (!isKey(key))
        return std::nullopt;
    std::ifstream in(root / std::string(key), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return text.str();
}

void InotifyCloudStore::observeChanges(ChangeHandler newHandler) {
    handler = std::move(newHandler);
    context = std::make_unique<QObject>();
    std::error_code error;
    std::filesystem::create_directories(root, error);
    if (error)
        log.error("cannot create the cloud folder " + root.string() + ": " + error.message());
    fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // Written and closed, renamed into place, or removed: the moments a key's value changes.
    if (fd < 0 ||
        ::inotify_add_watch(fd, root.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE) < 0) {
        log.error("cannot watch the cloud folder " + root.string() + " (" + std::strerror(errno) +
                  "); configuration changes go unnoticed until restart");
    } else {
        notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, context.get(),
                         [this] { readEvents(); });
    }
    // What is there already has changed since this program last looked.
    std::vector<std::string> present;
    for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
        const std::string name = entry.path().filename().string();
        if (isKey(name) && entry.is_regular_file(error))
            present.push_back(name);
    }
    std::ranges::sort(present);
    if (!present.empty())
        QTimer::singleShot(0, context.get(), [this, present] {
            if (handler)
                handler(present);
        });
}

void InotifyCloudStore::readEvents() {
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    std::vector<std::string> changed;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_IGNORED) {
                // The folder itself went away: nothing more will come from this watch.
                log.error("the cloud folder " + root.string() +
                          " was removed; configuration changes go unnoticed until restart");
                notifier->setEnabled(false);
                break;
            }
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were lost: whatever is there now may have changed.
                std::error_code error;
                for (const auto& entry : std::filesystem::directory_iterator(root, error))
                    if (const std::string name = entry.path().filename().string();
                        isKey(name) && std::ranges::find(changed, name) == changed.end())
                        changed.push_back(name);
                continue;
            }
            if (event->len == 0)
                continue;
            const std::string name(event->name);
            if (isKey(name) && std::ranges::find(changed, name) == changed.end())
                changed.push_back(name);
        }
    }
    if (!changed.empty() && handler)
        handler(changed);
}

} // namespace zentrivo::platform
