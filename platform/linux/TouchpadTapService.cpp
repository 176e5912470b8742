#include "TouchpadTapService.h"

#include "TouchpadDevices.h"
#include "TouchpadFrameDecoder.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <libudev.h>
#include <mutex>
#include <unistd.h>
#include <utility>
#include <vector>

namespace zentrivo::platform {
namespace {

/// One opened touchpad. Its reader state belongs to the serving loop's thread.
struct Device {
    Device(std::string node, int fd, libevdev* evdev, const TouchpadGeometry& geometry)
        : node(std::move(node)), fd(fd), evdev(evdev), decoder(geometry) {}
    ~Device() {
        libevdev_free(evdev);
        ::close(fd);
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    const std::string node;
    const int fd;
    libevdev* const evdev;
    TouchpadFrameDecoder decoder;
};

TouchpadAxis axisOf(const libevdev* evdev, unsigned code) {
    const input_absinfo* info = libevdev_get_abs_info(evdev, code);
    return {info->minimum, info->maximum, info->resolution};
}

input_event syntheticEvent(unsigned type, unsigned code, int value) {
    input_event event{};
    event.type = static_cast<decltype(event.type)>(type);
    event.code = static_cast<decltype(event.code)>(code);
    event.value = value;
    return event;
}

/// Opens a multitouch (protocol B) touchpad for reading, or answers none with the reason.
std::unique_ptr<Device> openDevice(const std::string& node, std::string& reason) {
    const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    libevdev* evdev = nullptr;
    if (const int rc = libevdev_new_from_fd(fd, &evdev); rc < 0) {
        reason = std::strerror(-rc);
        ::close(fd);
        return nullptr;
    }
    if (libevdev_get_num_slots(evdev) <= 0 ||
        !libevdev_has_event_code(evdev, EV_ABS, ABS_MT_POSITION_X) ||
        !libevdev_has_event_code(evdev, EV_ABS, ABS_MT_POSITION_Y)) {
        reason = "it tracks no individual fingers";
        libevdev_free(evdev);
        ::close(fd);
        return nullptr;
    }
    // Event times then count from start-up, as gesture times do, and never jump with the clock.
    libevdev_set_clock_id(evdev, CLOCK_MONOTONIC);
    const int slots = libevdev_get_num_slots(evdev);
    auto device =
        std::make_unique<Device>(node, fd, evdev,
                                 TouchpadGeometry{axisOf(evdev, ABS_MT_POSITION_X),
                                                  axisOf(evdev, ABS_MT_POSITION_Y), slots});

    // Fingers already down when the device is opened join at its next frame.
    for (int slot = 0; slot < slots; ++slot) {
        const int id = libevdev_get_slot_value(evdev, unsigned(slot), ABS_MT_TRACKING_ID);
        if (id < 0)
            continue;
        for (const auto& [code, value] :
             {std::pair{ABS_MT_SLOT, slot}, std::pair{ABS_MT_TRACKING_ID, id},
              std::pair{ABS_MT_POSITION_X,
                        libevdev_get_slot_value(evdev, unsigned(slot), ABS_MT_POSITION_X)},
              std::pair{ABS_MT_POSITION_Y,
                        libevdev_get_slot_value(evdev, unsigned(slot), ABS_MT_POSITION_Y)}})
            device->decoder.feed(syntheticEvent(EV_ABS, unsigned(code), value));
    }
    device->decoder.feed(syntheticEvent(EV_ABS, ABS_MT_SLOT, libevdev_get_current_slot(evdev)));
    for (const unsigned key : {BTN_TOOL_FINGER, BTN_TOOL_DOUBLETAP, BTN_TOOL_TRIPLETAP,
                               BTN_TOOL_QUADTAP, BTN_TOOL_QUINTTAP})
        device->decoder.feed(
            syntheticEvent(EV_KEY, key, libevdev_get_event_value(evdev, EV_KEY, key)));
    return device;
}

class TouchpadTap final : public EventTap {
public:
    TouchpadTap(UdevContext context, udev_monitor* monitor,
                std::vector<std::unique_ptr<Device>> devices, EventMask mask,
                EventTapService::Callback callback)
        : context(std::move(context)), monitor(monitor), devices(std::move(devices)),
          delivers(mask & maskOf(EventType::gesture)), callback(std::move(callback)) {}

    ~TouchpadTap() override {
        RunLoop* current = nullptr;
        {
            std::lock_guard lock(mutex);
            current = loop;
        }
        if (current)
            removeFromRunLoop(*current);
        devices.clear();
        if (monitor)
            udev_monitor_unref(monitor);
    }

    void addToRunLoop(RunLoop& target) override {
        RunLoop* previous = nullptr;
        {
            std::lock_guard lock(mutex);
            if (loop == &target)
                return;
            previous = loop;
        }
        if (previous)
            removeFromRunLoop(*previous);
        std::lock_guard lock(mutex);
        loop = &target;
        for (const auto& device : devices) {
            Device* reader = device.get();
            sources.push_back(target.addSource(
                reader->fd, [this, reader] { readDevice(*reader); }, [this] { disable(); }));
        }
        // A monitor in error (its socket overflowed, say) has lost events: the pads it would
        // have announced are only found by a new tap.
        if (monitor)
            sources.push_back(target.addSource(
                udev_monitor_get_fd(monitor), [this] { readMonitor(); }, [this] { disable(); }));
    }

    void removeFromRunLoop(RunLoop& target) override {
        std::vector<RunLoop::SourceId> removed;
        {
            std::lock_guard lock(mutex);
            if (loop != &target)
                return;
            removed.swap(sources);
            loop = nullptr;
        }
        // Unlocked: removing waits for a handler that is running, and handlers take the lock.
        for (const RunLoop::SourceId id : removed)
            target.removeSource(id);
    }

    void setEnabled(bool enable) override { enabled = enable; }

private:
    void readDevice(Device& device) {
        unsigned flags = LIBEVDEV_READ_FLAG_NORMAL;
        for (;;) {
            input_event event{};
            const int rc = libevdev_next_event(device.evdev, flags, &event);
            if (rc == -EAGAIN) {
                if (flags == LIBEVDEV_READ_FLAG_NORMAL)
                    return;
                // The replayed state is complete; the events after the gap follow.
                flags = LIBEVDEV_READ_FLAG_NORMAL;
                continue;
            }
            if (rc < 0) {
                // Gone (ENODEV) or broken: stop polling it, or the loop would spin on the error.
                stopReading(device);
                disable();
                return;
            }
            // SYN_DROPPED: the device's state since then is replayed in sync mode.
            if (rc == LIBEVDEV_READ_STATUS_SYNC && flags == LIBEVDEV_READ_FLAG_NORMAL)
                flags = LIBEVDEV_READ_FLAG_SYNC;
            if (const auto frame = device.decoder.feed(event); frame && live() && delivers)
                callback(TapNotice::event, &*frame);
        }
    }

    void readMonitor() {
        while (udev_device* changed = udev_monitor_receive_device(monitor)) {
            const bool devicesChanged = concerns(changed);
            udev_device_unref(changed);
            if (devicesChanged)
                disable();
        }
    }

    /// Whether a udev event changes which touchpads this tap should read.
    bool concerns(udev_device* changed) const {
        const char* action = udev_device_get_action(changed);
        const char* node = udev_device_get_devnode(changed);
        if (!action || !node)
            return false;
        const bool ours = std::any_of(devices.begin(), devices.end(),
                                      [&](const auto& device) { return device->node == node; });
        if (std::strcmp(action, "remove") == 0)
            return ours;
        // A new pad, or one whose access rules changed so that it can now be read.
        return !ours && (std::strcmp(action, "add") == 0 || std::strcmp(action, "change") == 0) &&
               touchpads::isTouchpad(changed) && touchpads::readable(node);
    }

    void stopReading(const Device& device) {
        RunLoop* current = nullptr;
        RunLoop::SourceId source = 0;
        {
            std::lock_guard lock(mutex);
            const auto index =
                std::size_t(std::find_if(devices.begin(), devices.end(),
                                         [&](const auto& d) { return d.get() == &device; }) -
                            devices.begin());
            if (!loop || index >= sources.size())
                return;
            current = loop;
            source = std::exchange(sources[index], 0);
        }
        if (source)
            current->removeSource(source);
    }

    bool live() const { return enabled && !disabled; }

    /// The system's end of this tap: told once, then nothing more is delivered.
    void disable() {
        if (!disabled.exchange(true) && enabled)
            callback(TapNotice::disabledBySystem, nullptr);
    }

    UdevContext context;
    udev_monitor* const monitor;
    std::vector<std::unique_ptr<Device>> devices;
    const bool delivers;
    const EventTapService::Callback callback;
    std::atomic<bool> enabled{true};
    std::atomic<bool> disabled{false};
    std::mutex mutex;
    RunLoop* loop = nullptr;
    /// One per device, in the order of `devices`, then the monitor's; 0 once removed.
    std::vector<RunLoop::SourceId> sources;
};

} // namespace

std::unique_ptr<EventTap> TouchpadTapService::createTap(EventMask mask, Callback callback) {
    UdevContext context = touchpads::open();
    if (!context) {
        log.error("cannot use udev to find touchpads");
        return nullptr;
    }
    // Watching starts before the search, so that a pad plugged in between is not missed.
    udev_monitor* monitor = udev_monitor_new_from_netlink(context.get(), "udev");
    if (monitor &&
        (udev_monitor_filter_add_match_subsystem_devtype(monitor, "input", nullptr) < 0 ||
         udev_monitor_enable_receiving(monitor) < 0)) {
        udev_monitor_unref(monitor);
        monitor = nullptr;
    }
    if (!monitor && !std::exchange(hotPlugFailureLogged, true))
        log.error("cannot watch for touchpads being plugged in; only those present now are read");

    const auto nodes = touchpads::nodes(context.get());
    std::vector<std::unique_ptr<Device>> devices;
    for (const auto& node : nodes) {
        std::string reason;
        if (auto device = openDevice(node, reason))
            devices.push_back(std::move(device));
        else
            log.info("touchpad " + node + " not read: " + reason);
    }
    if (devices.empty() && (!nodes.empty() || !monitor)) {
        if (monitor)
            udev_monitor_unref(monitor);
        return nullptr;
    }
    return std::make_unique<TouchpadTap>(std::move(context), monitor, std::move(devices), mask,
                                         std::move(callback));
}

} // namespace zentrivo::platform
