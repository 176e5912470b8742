// A touchpad's event stream, as read(2) hands it over: whole `input_event`s. The first bytes
// describe the device, as its absolute-axis info would.
#include "platform/linux/TouchpadFrameDecoder.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct DeviceHeader {
    std::int32_t xMin, xMax, xRes, yMin, yMax, yRes;
    /// The kernel caps a device's slots far below this; more would only test the allocator.
    std::uint8_t slots;
};

bool inUnitRange(double v) {
    return v >= 0 && v <= 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DeviceHeader header;
    if (size < sizeof header)
        return 0;
    std::memcpy(&header, data, sizeof header);
    data += sizeof header, size -= sizeof header;

    using zentrivo::platform::TouchpadGeometry;
    const TouchpadGeometry geometry{{header.xMin, header.xMax, header.xRes},
                                    {header.yMin, header.yMax, header.yRes},
                                    header.slots % 65};
    zentrivo::platform::TouchpadFrameDecoder decoder(geometry);
    for (; size >= sizeof(input_event); data += sizeof(input_event), size -= sizeof(input_event)) {
        input_event event;
        std::memcpy(&event, data, sizeof event);
        const auto frame = decoder.feed(event);
        if (!frame)
            continue;
        // Gesture positions are fractions of the pad, whatever the device claims.
        for (const auto& touch : frame->touches)
            if (!inUnitRange(touch.normalizedX) || !inUnitRange(touch.normalizedY) ||
                !std::isfinite(touch.deviceWidth) || !(touch.deviceWidth > 0) ||
                !std::isfinite(touch.deviceHeight) || !(touch.deviceHeight > 0))
                std::abort();
    }
    return 0;
}
