// stack.cpp - how much of the calling thread's stack is left. The bounds of a thread's stack never
// change, so they are asked of the platform once per thread (for the main thread that means reading the
// process's memory map) and kept beside the thread's other host state.
#include "host/host.h"

#include <pthread.h>

#include <cstdint>

namespace {

thread_local uintptr_t stackFloor = 0;
thread_local bool stackKnown = false;

}  // namespace

size_t hostStackRemaining() {
  if (!stackKnown) {
    stackKnown = true;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
      void* low = nullptr;
      size_t size = 0;
      if (pthread_attr_getstack(&attr, &low, &size) == 0) stackFloor = reinterpret_cast<uintptr_t>(low);
      pthread_attr_destroy(&attr);
    }
  }
  if (stackFloor == 0) return SIZE_MAX;
  const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  return here > stackFloor ? here - stackFloor : 0;
}
