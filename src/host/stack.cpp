// stack.cpp - how much of the calling thread's stack is left. The bounds of a thread's stack never
// change, so they are asked of the platform once per thread (for the main thread that means reading the
// process's memory map) and kept beside the thread's other host state.
#include "host/host.h"

#include <pthread.h>

#include <cstdint>

namespace {

// One record, so that a check costs one lookup of the thread's data, not one per field.
struct StackBounds {
  uintptr_t floor;
  bool known;
};
thread_local StackBounds bounds{};

}  // namespace

size_t hostStackRemaining() {
  StackBounds& b = bounds;
  if (!b.known) [[unlikely]] {
    b.known = true;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
      void* low = nullptr;
      size_t size = 0;
      if (pthread_attr_getstack(&attr, &low, &size) == 0) b.floor = reinterpret_cast<uintptr_t>(low);
      pthread_attr_destroy(&attr);
    }
  }
  if (b.floor == 0) return SIZE_MAX;
  const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  return here > b.floor ? here - b.floor : 0;
}
