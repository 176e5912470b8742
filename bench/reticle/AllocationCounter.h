#pragma once

#include <cstddef>

namespace zentrivo::bench {

/// Heap allocations made through `operator new` since the program started. Linking
/// AllocationCounter.cpp replaces the global allocation functions to count them.
std::size_t allocationCount();

} // namespace zentrivo::bench
