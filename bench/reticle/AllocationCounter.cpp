#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

// In a file of its own, so that the compiler never sees the malloc and free inside these through
// inlining and never pairs them with the callers' new and delete.

namespace {
std::atomic<std::size_t> allocations{0};
}

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace zentrivo::bench {

std::size_t allocationCount() {
    return allocations.load(std::memory_order_relaxed);
}

} // namespace zentrivo::bench
