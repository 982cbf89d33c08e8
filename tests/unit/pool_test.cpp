// Pool edge cases: the exhaustion codes, the block chain after frees, and the thread slot binding.
#include <gtest/gtest.h>

#include <thread>

#include "host/host.h"
#include "pool/pool.h"

namespace {

int blockCount(const Pool* pool) {
  int count = 0;
  for (const PoolBlock* b = pool->first; b != nullptr; b = b->next) ++count;
  return count;
}

TEST(Pool, ZeroBytesAndNullPoolGiveNullWithoutUnwinding) {
  const RecoveryPoint recovery;
  Pool* pool = poolCreate(&recovery);
  EXPECT_EQ(poolAlloc(pool, 0), nullptr);
  EXPECT_EQ(poolAlloc(nullptr, 16), nullptr);
  EXPECT_EQ(pool->first, nullptr);
  poolDestroy(pool);
}

TEST(Pool, AllocationsAreAlignedAndChainedInOrder) {
  Pool* pool = poolCreate(nullptr);
  void* a = poolAlloc(pool, 1);
  void* b = poolAlloc(pool, 13);
  void* c = poolAlloc(pool, 8);
  for (void* p : {a, b, c}) EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 8, 0u);
  ASSERT_EQ(blockCount(pool), 3);
  EXPECT_EQ(pool->first + 1, a);
  EXPECT_EQ(pool->last + 1, c);
  EXPECT_EQ(pool->first->size, 1u);
  EXPECT_EQ(pool->first->next->size, 13u);
  EXPECT_EQ(pool->last->prev, pool->first->next);
  poolDestroy(pool);
}

TEST(Pool, FreeingUnlinksFirstMiddleLastAndOnly) {
  Pool* pool = poolCreate(nullptr);
  void* only = poolAlloc(pool, 4);
  poolFree(only);
  EXPECT_EQ(pool->first, nullptr);
  EXPECT_EQ(pool->last, nullptr);

  void* a = poolAlloc(pool, 4);
  void* b = poolAlloc(pool, 4);
  void* c = poolAlloc(pool, 4);
  poolFree(b);
  ASSERT_EQ(blockCount(pool), 2);
  EXPECT_EQ(pool->first->next, pool->last);
  EXPECT_EQ(pool->last->prev, pool->first);
  poolFree(a);
  EXPECT_EQ(pool->first, pool->last);
  EXPECT_EQ(pool->first->prev, nullptr);
  poolFree(c);
  EXPECT_EQ(pool->first, nullptr);
  poolFree(nullptr);
  poolDestroy(pool);
}

TEST(Pool, RequestOfTwoGigabytesUnwindsWithCodeTwo) {
  const RecoveryPoint recovery;
  Pool* pool = poolCreate(&recovery);
  try {
    poolAlloc(pool, POOL_MAX_REQUEST);
    ADD_FAILURE() << "expected an unwind";
  } catch (const PoolExhausted& e) {
    EXPECT_EQ(e.code, 2);
  }
  // Without a recovery point the same request quietly gives null.
  Pool* plain = poolCreate(nullptr);
  EXPECT_EQ(poolAlloc(plain, POOL_MAX_REQUEST), nullptr);
  poolDestroy(plain);
  poolDestroy(pool);
}

TEST(Pool, OneByteBelowTheLimitReachesTheHost) {
  // The host refuses through the injection hook, so nothing of 2 GiB is really taken; what matters is
  // that the request got to the host (code 1), not the size check (code 2).
  const RecoveryPoint recovery;
  Pool* pool = poolCreate(&recovery);
  hostFailNthBlock(1);
  try {
    poolAlloc(pool, POOL_MAX_REQUEST - 1);
    ADD_FAILURE() << "expected an unwind";
  } catch (const PoolExhausted& e) {
    EXPECT_EQ(e.code, 1);
  }
  hostFailNthBlock(0);
  EXPECT_EQ(pool->first, nullptr) << "a failed request leaves the pool as it was";
  poolDestroy(pool);
}

TEST(Pool, HostRefusalWithoutRecoveryReturnsNull) {
  hostFailNthBlock(1);
  EXPECT_EQ(poolCreate(nullptr), nullptr);
  hostFailNthBlock(0);
  const RecoveryPoint recovery;
  hostFailNthBlock(1);
  EXPECT_THROW(poolCreate(&recovery), PoolExhausted);
  hostFailNthBlock(0);
}

TEST(Context, BindsOnePoolPerThread) {
  const RecoveryPoint recovery;
  contextInit(&recovery);
  Pool* mine = currentPool();
  ASSERT_NE(mine, nullptr);
  char* copy = ctxStrdup("abc");
  EXPECT_STREQ(copy, "abc");
  EXPECT_STREQ(ctxStrndup("abcdef", 2), "ab");
  Pool* other = reinterpret_cast<Pool*>(1);
  std::thread([&] { other = currentPool(); }).join();
  EXPECT_EQ(other, nullptr) << "a thread that set nothing sees no pool";
  contextRelease();
  EXPECT_EQ(currentPool(), nullptr);
  EXPECT_EQ(ctxAlloc(8), nullptr);
  contextRelease();  // nothing to release: harmless
}

TEST(Context, SlotFailureUnwindsWithCodeOne) {
  const RecoveryPoint recovery;
  hostFailThreadSlot(true);
  try {
    contextInit(&recovery);
    ADD_FAILURE() << "expected an unwind";
  } catch (const PoolExhausted& e) {
    EXPECT_EQ(e.code, 1);
  }
  hostFailThreadSlot(false);
  EXPECT_EQ(currentPool(), nullptr);
}

}  // namespace
