#include "TouchpadAccess.h"

#include <algorithm>

namespace zentrivo::platform {

bool TouchpadAccess::isTrusted() const {
    if (!context)
        return false;
    const auto nodes = touchpads::nodes(context.get());
    return std::any_of(nodes.begin(), nodes.end(), touchpads::readable);
}

bool TouchpadAccess::hasDevice() const {
    // Without udev nothing can be found out; asking the user is then the safer answer.
    return !context || !touchpads::nodes(context.get()).empty();
}

} // namespace zentrivo::platform
