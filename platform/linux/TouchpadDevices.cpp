#include "TouchpadDevices.h"

#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <libudev.h>
#include <linux/input.h>
#include <optional>
#include <unistd.h>

namespace zentrivo::platform {
namespace {

/// The kernel prints each word as an unsigned long of this process's width.
constexpr unsigned wordBits = sizeof(unsigned long) * 8;

std::optional<std::vector<unsigned long>> parseBitmap(std::string_view text) {
    std::vector<unsigned long> words; // most significant first, as printed
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ' || text[at] == '\n') {
            ++at;
            continue;
        }
        unsigned long word = 0;
        const auto [end, error] =
            std::from_chars(text.data() + at, text.data() + text.size(), word, 16);
        if (error != std::errc{} ||
            (end < text.data() + text.size() && *end != ' ' && *end != '\n'))
            return std::nullopt;
        words.push_back(word);
        at = std::size_t(end - text.data());
    }
    if (words.empty())
        return std::nullopt;
    return words;
}

bool bitSet(const std::vector<unsigned long>& words, unsigned bit) {
    const std::size_t fromEnd = bit / wordBits;
    if (fromEnd >= words.size())
        return false;
    return (words[words.size() - 1 - fromEnd] >> (bit % wordBits)) & 1u;
}

std::string_view attribute(udev_device* device, const char* name) {
    const char* value = udev_device_get_sysattr_value(device, name);
    return value ? std::string_view(value) : std::string_view();
}

} // namespace

bool hasTouchpadCapabilities(std::string_view abs, std::string_view key,
                             std::string_view properties) {
    const auto absBits = parseBitmap(abs), keyBits = parseBitmap(key),
               propBits = parseBitmap(properties);
    if (!absBits || !keyBits || !propBits)
        return false;
    return bitSet(*absBits, ABS_MT_POSITION_X) && bitSet(*absBits, ABS_MT_POSITION_Y) &&
           bitSet(*keyBits, BTN_TOUCH) && bitSet(*propBits, INPUT_PROP_POINTER) &&
           !bitSet(*propBits, INPUT_PROP_DIRECT);
}

void UdevDeleter::operator()(udev* context) const {
    udev_unref(context);
}

namespace touchpads {

UdevContext open() {
    return UdevContext(udev_new());
}

bool isTouchpad(udev_device* device) {
    const char* node = udev_device_get_devnode(device);
    const char* sysname = udev_device_get_sysname(device);
    if (!node || !sysname || std::strncmp(sysname, "event", 5) != 0)
        return false;
    if (const char* flag = udev_device_get_property_value(device, "ID_INPUT_TOUCHPAD");
        flag && std::strcmp(flag, "1") == 0)
        return true;
    // The capabilities live on the input device above the event node.
    udev_device* input = udev_device_get_parent_with_subsystem_devtype(device, "input", nullptr);
    return input && hasTouchpadCapabilities(attribute(input, "capabilities/abs"),
                                            attribute(input, "capabilities/key"),
                                            attribute(input, "properties"));
}

std::vector<std::string> nodes(udev* context) {
    std::vector<std::string> found;
    udev_enumerate* enumerate = udev_enumerate_new(context);
    if (!enumerate)
        return found;
    udev_enumerate_add_match_subsystem(enumerate, "input");
    udev_enumerate_add_match_sysname(enumerate, "event*");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
        udev_device* device =
            udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
        if (!device)
            continue;
        if (isTouchpad(device))
            found.emplace_back(udev_device_get_devnode(device));
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumerate);
    return found;
}

bool readable(const std::string& node) {
    // The effective identity decides what open() would do, ACLs from udev's uaccess included.
    return ::faccessat(AT_FDCWD, node.c_str(), R_OK, AT_EACCESS) == 0;
}

} // namespace touchpads
} // namespace zentrivo::platform
