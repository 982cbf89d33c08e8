// sqlexc_pool.cpp - one host block per allocation, chained in allocation order so that a whole
// compilation is released in one sweep. The pool keeps no free lists: compilations are short.
// An allocation that cannot be met never returns to its caller; it unwinds to the compile driver.
#include "pool/pool.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "host/host.h"

static_assert(std::is_trivially_destructible_v<Pool>);
static_assert(std::is_trivially_destructible_v<PoolBlock>);
static_assert(sizeof(PoolBlock) % 8 == 0, "caller memory must stay 8-byte aligned");

namespace {

const char* const sourceFile = "sqlexc_pool";

// The slot whose per-thread value is the current compilation's pool. Its state is per thread, so the
// object itself never changes after load.
const ThreadSlot compileSlot;

// This thread's value of compileSlot as contextInit read it back, cleared with the slot by
// contextRelease: the slot changes only there, so every allocation in between finds the pool here
// instead of asking the slot again.
thread_local Pool* slotPool = nullptr;

[[noreturn]] void unwind(int code) { throw PoolExhausted{code}; }

}  // namespace

Pool* poolCreate(const RecoveryPoint* recovery) {
  uint32_t rc = 0;
  auto* pool = static_cast<Pool*>(hostGetMemoryBlock(sizeof(Pool), &rc, sourceFile, 10));
  if (rc != 0 || pool == nullptr) {
    if (recovery != nullptr) unwind(1);
    return nullptr;
  }
  pool->recovery = recovery;
  pool->first = nullptr;
  pool->last = nullptr;
  return pool;
}

void* poolAlloc(Pool* pool, uint64_t n) {
  if (pool == nullptr || n == 0) return nullptr;
  if (n >= POOL_MAX_REQUEST) {
    if (pool->recovery != nullptr) unwind(2);
    return nullptr;
  }
  const uint64_t rounded = (n + 7) & ~uint64_t{7};
  uint32_t rc = 0;
  auto* block = static_cast<PoolBlock*>(hostGetMemoryBlock(rounded + sizeof(PoolBlock), &rc, sourceFile, 20));
  if (rc != 0 || block == nullptr) [[unlikely]] {
    if (pool->recovery != nullptr) unwind(1);
    return nullptr;
  }
  block->owner = pool;
  block->size = n;
  block->next = nullptr;
  block->prev = pool->last;
  if (pool->last == nullptr) {
    pool->first = block;
  } else {
    pool->last->next = block;
  }
  pool->last = block;
  return block + 1;
}

char* poolStrdup(Pool* pool, const char* s) {
  const size_t length = std::strlen(s);
  auto* copy = static_cast<char*>(poolAlloc(pool, length + 1));
  if (copy != nullptr) std::memcpy(copy, s, length + 1);
  return copy;
}

void poolFree(void* p) {
  if (p == nullptr) return;
  PoolBlock* block = static_cast<PoolBlock*>(p) - 1;
  Pool* pool = block->owner;
  if (block->prev != nullptr) {
    block->prev->next = block->next;
  } else {
    pool->first = block->next;
  }
  if (block->next != nullptr) {
    block->next->prev = block->prev;
  } else {
    pool->last = block->prev;
  }
  hostFreeMemoryBlock(sourceFile, 30, block);
}

void poolDestroy(Pool* pool) {
  if (pool == nullptr) return;
  PoolBlock* block = pool->first;
  while (block != nullptr) {
    PoolBlock* next = block->next;
    hostFreeMemoryBlock(sourceFile, 40, block);
    block = next;
  }
  hostFreeMemoryBlock(sourceFile, 50, pool);
}

void contextInit(const RecoveryPoint* recovery) {
  // The slot object outlives every compilation; only this thread's value changes.
  auto& slot = const_cast<ThreadSlot&>(compileSlot);
  if (slot.create() != 0) unwind(1);
  Pool* pool = poolCreate(recovery);
  if (pool == nullptr) unwind(1);
  void* readBack = nullptr;
  if (slot.set(pool) != 0 || slot.get(&readBack) != 0 || readBack == nullptr) {
    poolDestroy(pool);
    unwind(1);
  }
  slotPool = static_cast<Pool*>(readBack);
}

Pool* currentPool() { return slotPool; }

void contextRelease() {
  Pool* pool = slotPool;
  if (pool == nullptr) return;
  slotPool = nullptr;
  poolDestroy(pool);
  auto& slot = const_cast<ThreadSlot&>(compileSlot);
  slot.set(nullptr);
  slot.destroy();
}

void* ctxAlloc(uint64_t n) { return poolAlloc(slotPool, n); }

char* ctxStrdup(const char* s) { return poolStrdup(slotPool, s); }

char* ctxStrndup(const char* s, size_t n) {
  auto* copy = static_cast<char*>(ctxAlloc(n + 1));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, s, n);
  copy[n] = '\0';
  return copy;
}

void ctxFree(void* p) { poolFree(p); }

char* splitTokens(char* s, const char* separators, char** state) { return strtok_r(s, separators, state); }

void debugPrint(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}
