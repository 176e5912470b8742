#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct udev;
struct udev_device;

namespace zentrivo::platform {

/// Whether the kernel's capability bitmaps of an input device (the sysfs attributes
/// `capabilities/abs`, `capabilities/key` and `properties`: hexadecimal words, most significant
/// first) describe a touchpad: multitouch positions, a touch key, a pointer that is not a screen.
/// Unreadable bitmaps describe nothing.
bool hasTouchpadCapabilities(std::string_view abs, std::string_view key,
                             std::string_view properties);

struct UdevDeleter {
    void operator()(udev* context) const;
};
using UdevContext = std::unique_ptr<udev, UdevDeleter>;

/// Finding touchpads through udev. Main thread, or one thread per context.
namespace touchpads {

/// A new udev context, or none when udev cannot be used at all.
UdevContext open();
/// Whether `device` is the event node of a touchpad: udev's `ID_INPUT_TOUCHPAD`, or the
/// capability test for pads that udev's rules do not know.
bool isTouchpad(udev_device* device);
/// The event nodes (`/dev/input/event…`) of every touchpad present now.
std::vector<std::string> nodes(udev* context);
/// Whether this process may read `node`.
bool readable(const std::string& node);

} // namespace touchpads
} // namespace zentrivo::platform
