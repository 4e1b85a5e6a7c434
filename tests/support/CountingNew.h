#pragma once
// Counts every allocation of the program through replaced global operators new and delete.
// Include it in one source file of a program only: the operators are defined here, not
// declared. AddressSanitizer keeps its own operators, so under it nothing is replaced and
// VANTIX_COUNTS_ALLOCATIONS is left undefined.
#include <atomic>
#include <cstdlib>
#include <new>

namespace counting_new {
inline std::atomic<long> allocations{0};
} // namespace counting_new

// How many times operator new has run so far (always 0 where nothing is counted).
inline long AllocationsSoFar() {
  return counting_new::allocations.load(std::memory_order_relaxed);
}

#if !defined(__SANITIZE_ADDRESS__)
#define VANTIX_COUNTS_ALLOCATIONS 1

// The replaced operators pair malloc with free, which this warning cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  counting_new::allocations.fetch_add(1, std::memory_order_relaxed);
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
#endif
