// pool.h - the memory of one compilation: every node, list, string, error record and output text comes
// from the current thread's pool and goes in one sweep when the compilation is released.
// Owns Pool and compileSlot. May use host/ only.
#pragma once

#include <cstddef>
#include <cstdint>

// Marks the compile driver's frame. A pool bound to one throws PoolExhausted instead of returning null.
struct RecoveryPoint {
  int armed = 1;
};

// Why a compilation unwound to the compile driver.
enum RecoveryCode : int {
  recoveryHostRefused = 1,     // the host refused memory, or the thread slot failed
  recoveryTooLarge = 2,        // a single request of 2^31 bytes or more
  recoveryInternal = 3,        // an internal inconsistency a stage detected
  recoveryStackExhausted = 4,  // the tree nests deeper than the calling thread's stack can walk
};

// Unwinds from an allocation that cannot be met (or a walk that would overrun the thread's stack) to the
// compile driver, the only place that catches it. `line` is the zero-based source line of the node the
// walk had reached, or -1.
struct PoolExhausted {
  int code;
  int32_t line = -1;
};

// The recursive walks over the tree (the transformer, the emitter, walkTree) call this once per level:
// with less than stackReserve bytes of the thread's stack left it unwinds with recoveryStackExhausted,
// naming `line`, so that deep nesting on an engine thread with a small stack fails cleanly instead of
// overrunning it. On a thread with room to spare it costs one comparison.
void checkStackRoom(int32_t line);
constexpr size_t stackReserve = 32 * 1024;

struct Pool;

struct PoolBlock {
  Pool* owner;
  PoolBlock* prev;
  PoolBlock* next;
  uint64_t size;  // what the caller asked for, before rounding
};

struct Pool {
  const RecoveryPoint* recovery;  // null: failures return null instead of unwinding
  PoolBlock* first;
  PoolBlock* last;
};

// The largest single request; anything at or above it is refused with code 2.
constexpr uint64_t POOL_MAX_REQUEST = 2147483648ull;

// A new empty pool. Host failure: throws PoolExhausted{1} when `recovery` is set, else returns null.
Pool* poolCreate(const RecoveryPoint* recovery);
// n bytes, 8-byte aligned, not zeroed. Null without allocating for a null pool or n == 0.
// n >= 2^31 fails with code 2, host refusal with code 1 (thrown when the pool has a recovery point,
// else null).
void* poolAlloc(Pool* pool, uint64_t n);
char* poolStrdup(Pool* pool, const char* s);
// Returns one allocation to the host, unlinking it from its pool. Null is ignored.
void poolFree(void* p);
// Frees every allocation and then the pool itself. Null is ignored.
void poolDestroy(Pool* pool);

// Binds a fresh pool to this thread for one compilation. Throws PoolExhausted{1} when the slot cannot be
// created, stored or read back, or the pool cannot be made.
void contextInit(const RecoveryPoint* recovery);
// Destroys this thread's pool, if any, and clears the slot.
void contextRelease();
// This thread's pool, or null outside a compilation.
Pool* currentPool();

// The calls every stage uses: poolAlloc / poolStrdup / poolFree on this thread's pool.
void* ctxAlloc(uint64_t n);
char* ctxStrdup(const char* s);
// ctxStrdup of the first n bytes of s (which need not be NUL-terminated), NUL added.
char* ctxStrndup(const char* s, size_t n);
void ctxFree(void* p);

// strtok_r semantics: first call with the text, later calls with null; the text is modified in place.
char* splitTokens(char* s, const char* separators, char** state);

// Formatted output to the standard error stream, for the scanner's and parser's debug traces.
void debugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// An allocator over this thread's pool, for std containers that live inside a compilation.
template <typename T>
struct PoolAllocator {
  using value_type = T;
  PoolAllocator() = default;
  template <typename U>
  PoolAllocator(const PoolAllocator<U>&) {}
  T* allocate(size_t n) { return static_cast<T*>(ctxAlloc(n * sizeof(T))); }
  void deallocate(T* p, size_t) { ctxFree(p); }
  template <typename U>
  bool operator==(const PoolAllocator<U>&) const {
    return true;
  }
};
