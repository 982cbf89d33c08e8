// The region allocator behind the host's memory blocks: chunks go back when their last block is freed,
// whichever thread frees it and whether or not the thread that carved it still runs; a thread keeps no
// more than its cap; blocks never overlap, also when threads hand blocks to each other.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "entry/driver.h"
#include "host/host.h"
#include "host/region_allocator.h"

namespace {

uintptr_t chunkStart(const void* block) {
  return reinterpret_cast<uintptr_t>(block) & ~uintptr_t{regionChunkBytes - 1};
}

bool isMapped(uintptr_t address) {
  const uintptr_t page = address & ~uintptr_t(sysconf(_SC_PAGESIZE) - 1);
  return msync(reinterpret_cast<void*>(page), 1, MS_ASYNC) == 0;
}

// Fills a block with a pattern of its own, so a block carved over another one is noticed.
void stamp(void* block, size_t size, uint8_t seed) { std::memset(block, seed, size); }
bool stampIntact(const void* block, size_t size, uint8_t seed) {
  const auto* bytes = static_cast<const uint8_t*>(block);
  for (size_t i = 0; i < size; ++i)
    if (bytes[i] != seed) return false;
  return true;
}

// Each test runs on a thread of its own, which starts with nothing kept and nothing live.
template <typename Body>
void onFreshThread(Body body) {
  std::thread(body).join();
}

TEST(Region, BlocksAreAlignedDistinctAndChunksReturnWhenTheirLastBlockGoes) {
  onFreshThread([] {
    const RegionThreadStats before = regionThreadStats();
    std::vector<void*> blocks;
    std::set<uintptr_t> chunks;
    // Sizes that do not divide the chunk, over several chunks.
    for (size_t i = 0; i < 20000; ++i) {
      const size_t size = 1 + (i * 37) % 200;
      void* block = regionAllocate(size);
      ASSERT_NE(block, nullptr);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 8, 0u);
      stamp(block, size, static_cast<uint8_t>(i));
      blocks.push_back(block);
      chunks.insert(chunkStart(block));
    }
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(regionThreadStats().liveBlocks, before.liveBlocks + 20000);
    for (size_t i = 0; i < blocks.size(); ++i)
      ASSERT_TRUE(stampIntact(blocks[i], 1 + (i * 37) % 200, static_cast<uint8_t>(i))) << "block " << i;

    // Freeing every other block returns nothing: each chunk still holds live blocks.
    for (size_t i = 0; i < blocks.size(); i += 2) regionFree(blocks[i]);
    EXPECT_EQ(regionThreadStats().cachedChunks, 0u);
    for (size_t i = 1; i < blocks.size(); i += 2) regionFree(blocks[i]);
    const RegionThreadStats after = regionThreadStats();
    EXPECT_EQ(after.liveBlocks, before.liveBlocks);
    // The chunk carved from stays; every full one is empty again and waits in the cache, with the rest
    // of the segments they were mapped in. Nothing is mapped that the thread does not keep.
    EXPECT_GE(after.keptChunks, chunks.size());
    EXPECT_EQ(after.mappedBytes, static_cast<int64_t>(after.keptChunks * regionChunkBytes));
  });
}

TEST(Region, EmptiedChunkIsCarvedAgainFromItsStart) {
  onFreshThread([] {
    void* first = regionAllocate(64);
    regionFree(first);
    // The thread's blocks are all free (a compilation ended): the next one reuses the same warm memory.
    void* again = regionAllocate(64);
    EXPECT_EQ(again, first);
    regionFree(again);
    for (int round = 0; round < 50; ++round) {
      std::vector<void*> blocks;
      for (int i = 0; i < 3000; ++i) blocks.push_back(regionAllocate(48));
      for (void* block : blocks) regionFree(block);
      EXPECT_EQ(blocks.front(), first) << "round " << round;
    }
    EXPECT_EQ(regionThreadStats().mappedBytes, static_cast<int64_t>(regionSegmentBytes));

    // With a block that stays live the chunks rotate through the cache instead; still nothing grows.
    void* kept = regionAllocate(64);
    const int64_t peak = regionThreadStats().peakMappedBytes;
    for (int round = 0; round < 200; ++round) {
      std::vector<void*> blocks;
      for (int i = 0; i < 3000; ++i) blocks.push_back(regionAllocate(48));
      for (void* block : blocks) regionFree(block);
    }
    EXPECT_LE(regionThreadStats().peakMappedBytes, peak + 3 * static_cast<int64_t>(regionChunkBytes));
    regionFree(kept);
  });
}

// One "compilation" on the calling thread: `chunks` chunks' worth of small blocks, all freed at the end.
void compileLike(size_t chunks) {
  std::vector<void*> blocks;
  for (size_t i = 0; i < chunks * (regionChunkBytes / 4096); ++i) blocks.push_back(regionAllocate(4096 - 8));
  for (void* block : blocks) regionFree(block);
}

TEST(Region, LargeBlockHasItsOwnMappingWhichLaterCarvingReuses) {
  onFreshThread([] {
    // Over what a thread keeps whole: freed while the thread's compilation goes on, the mapping becomes
    // chunks for what comes next.
    const size_t size = regionKeptSingleBytes + 5;
    const size_t chunksInIt = (size + regionChunkBytes) / regionChunkBytes;
    auto* big = static_cast<char*>(regionAllocate(size));
    ASSERT_NE(big, nullptr);
    big[0] = 'a';
    big[size - 1] = 'z';
    const uintptr_t from = chunkStart(big);
    void* small = regionAllocate(16);
    EXPECT_FALSE(chunkStart(small) >= from && chunkStart(small) < from + size) << "carving is not inside it";

    const size_t cached = regionThreadStats().cachedChunks;
    regionFree(big);
    EXPECT_EQ(regionThreadStats().cachedChunks, cached + chunksInIt);
    std::set<uintptr_t> reused;
    std::vector<void*> blocks;
    for (size_t i = 0; i < (cached + chunksInIt + 2) * (regionChunkBytes / 1024); ++i) {
      blocks.push_back(regionAllocate(1000));
      reused.insert(chunkStart(blocks.back()));
    }
    size_t inside = 0;
    for (uintptr_t chunk : reused) inside += chunk >= from && chunk < from + size ? 1 : 0;
    EXPECT_EQ(inside, chunksInIt);
    for (void* block : blocks) regionFree(block);
    regionFree(small);

    // With nothing else live, a mapping too large to keep goes at once.
    const int64_t mapped = regionThreadStats().mappedBytes;
    void* alone = regionAllocate(size);
    regionFree(alone);
    EXPECT_FALSE(isMapped(reinterpret_cast<uintptr_t>(alone)));
    EXPECT_EQ(regionThreadStats().mappedBytes, mapped);
  });
}

// The entry point asks for a block of a little over 2 MiB on every call: the thread keeps the mapping and
// hands it out again, so a call maps and clears nothing new; a much smaller large block does not take it.
TEST(Region, LargeMappingOfAFewMiBIsKeptForTheNextRequest) {
  onFreshThread([] {
    const size_t privateBlock = 2 * 1024 * 1024 + 9;
    void* first = regionAllocate(privateBlock);
    static_cast<char*>(first)[privateBlock - 1] = 'x';
    regionFree(first);
    const RegionThreadStats kept = regionThreadStats();
    EXPECT_GE(kept.keptSingleBytes, privateBlock);
    EXPECT_TRUE(isMapped(reinterpret_cast<uintptr_t>(first)));
    for (int call = 0; call < 20; ++call) {
      void* again = regionAllocate(privateBlock);
      EXPECT_EQ(again, first) << "call " << call;
      regionFree(again);
    }
    EXPECT_EQ(regionThreadStats().peakMappedBytes, kept.peakMappedBytes);

    // A much smaller large block gets a mapping of its own, kept beside the first. Many more large
    // blocks than a thread keeps: the smaller kept ones make room for larger ones, within the places and
    // the total, and the largest stays.
    void* smaller = regionAllocate(regionLargeBlock + 1);
    EXPECT_NE(chunkStart(smaller), chunkStart(first));
    regionFree(smaller);
    EXPECT_EQ(regionThreadStats().keptSingleBytes, kept.keptSingleBytes + regionChunkBytes);
    std::vector<void*> more;
    for (size_t i = 0; i < 2 * regionKeptSingles; ++i) more.push_back(regionAllocate((1 + i % 3) * regionChunkBytes));
    for (void* block : more) regionFree(block);
    EXPECT_LE(regionThreadStats().keptSingleBytes, regionKeptSinglesTotal);
    EXPECT_GT(regionThreadStats().keptSingleBytes, regionKeptSinglesTotal / 2);
    EXPECT_EQ(regionAllocate(privateBlock), first) << "the largest stays";
    regionFree(first);

    // One not taken again within the recent compilations goes; the one taken on every call stays.
    for (size_t i = 0; i <= regionRecentCompilations; ++i) {
      void* again = regionAllocate(privateBlock);
      EXPECT_EQ(again, first);
      regionFree(again);
    }
    EXPECT_EQ(regionThreadStats().keptSingleBytes, kept.keptSingleBytes);
    regionTrimThread();
    EXPECT_EQ(regionThreadStats().keptSingleBytes, 0u);
    EXPECT_EQ(regionThreadStats().mappedBytes, 0);
    EXPECT_FALSE(isMapped(reinterpret_cast<uintptr_t>(first)));
  });
}

TEST(Region, ThreadKeepsWhatItsRecentCompilationsNeededThenFallsBackToItsFloor) {
  onFreshThread([] {
    // A compilation of three times the floor keeps its chunks warm for the ones that follow.
    const size_t need = regionCachedChunks * 3;
    compileLike(need);
    RegionThreadStats stats = regionThreadStats();
    EXPECT_GE(stats.cachedChunks, need - 1);
    const int64_t mapped = stats.mappedBytes;
    for (size_t i = 0; i < regionRecentCompilations / 2; ++i) compileLike(need);
    EXPECT_EQ(regionThreadStats().mappedBytes, mapped) << "the same memory served every one of them";

    // Once no recent compilation needed that much, the thread gives it back a segment per compilation,
    // down to its floor.
    for (size_t i = 0; i < regionRecentCompilations + need; ++i) compileLike(1);
    stats = regionThreadStats();
    EXPECT_EQ(stats.cachedChunks, regionCachedChunks);
    EXPECT_EQ(stats.mappedBytes, static_cast<int64_t>((regionCachedChunks + 1) * regionChunkBytes));

    // Never more than the cap, however much one compilation took.
    compileLike(regionKeptChunksAtMost + 40);
    EXPECT_EQ(regionThreadStats().cachedChunks, regionKeptChunksAtMost);
    EXPECT_GE(regionThreadStats().peakMappedBytes,
              static_cast<int64_t>((regionKeptChunksAtMost + 40) * regionChunkBytes));
    regionTrimThread();
    EXPECT_EQ(regionThreadStats().keptChunks, 0u);
    EXPECT_EQ(regionThreadStats().mappedBytes, 0);
  });
}

// A busy thread keeps a large compilation's memory for a while, not for ever: the need and the kept
// mapping go once they are older than the time window, and at once after a pause in the calls.
TEST(Region, KeptMemoryAgesByTheClockAndAfterAPause) {
  onFreshThread([] {
    const size_t need = regionCachedChunks * 3;
    const size_t mapping = 2 * regionChunkBytes;
    auto keepLargeAndNeed = [&] {
      regionFree(regionAllocate(mapping - 64));
      compileLike(need);
      ASSERT_GE(regionThreadStats().cachedChunks, need - 1);
      ASSERT_EQ(regionThreadStats().keptSingleBytes, mapping);
    };
    auto settledAtFloor = [] {
      const RegionThreadStats stats = regionThreadStats();
      return stats.cachedChunks == regionCachedChunks && stats.keptSingleBytes == 0;
    };

    // Calls a second apart: within the window everything stays; past it, both go, a segment per call.
    keepLargeAndNeed();
    for (int64_t second = 1; second <= regionRecentSeconds - 1; ++second) {
      regionMoveClockOn(1);
      compileLike(1);
    }
    EXPECT_GE(regionThreadStats().cachedChunks, need - 1);
    EXPECT_EQ(regionThreadStats().keptSingleBytes, mapping);
    for (size_t i = 0; i < need && !settledAtFloor(); ++i) {
      regionMoveClockOn(1);
      compileLike(1);
    }
    EXPECT_TRUE(settledAtFloor());

    // A pause longer than the idle time: the first call after it gives both back.
    keepLargeAndNeed();
    regionMoveClockOn(regionIdleSeconds + 1);
    compileLike(1);
    EXPECT_EQ(regionThreadStats().keptSingleBytes, 0u);
    for (size_t i = 0; i < need && !settledAtFloor(); ++i) compileLike(1);
    EXPECT_TRUE(settledAtFloor());
    regionTrimThread();
  });
}

TEST(Region, BlocksOutliveTheThreadThatCarvedThem) {
  onFreshThread([] {
    std::vector<void*> blocks;
    std::set<uintptr_t> chunks;
    std::thread([&] {
      for (int i = 0; i < 3000; ++i) {
        void* block = regionAllocate(200);
        stamp(block, 200, static_cast<uint8_t>(i));
        blocks.push_back(block);
        chunks.insert(chunkStart(block));
      }
    }).join();
    ASSERT_GE(chunks.size(), 2u);
    // The thread's exit kept every chunk that still holds a live block, and their contents.
    for (size_t i = 0; i < blocks.size(); ++i) ASSERT_TRUE(stampIntact(blocks[i], 200, static_cast<uint8_t>(i)));
    for (void* block : blocks) regionFree(block);
    // The last free of each chunk happened here, so the chunks came to this thread's cache.
    EXPECT_EQ(regionThreadStats().cachedChunks, chunks.size());
    regionTrimThread();
    for (uintptr_t chunk : chunks) EXPECT_FALSE(isMapped(chunk));
  });
}

TEST(Region, ThreadEndingWithNothingLiveReturnsAllItKept) {
  onFreshThread([] {
    std::set<uintptr_t> chunks;
    std::thread([&] {
      std::vector<void*> blocks;
      for (int i = 0; i < 3000; ++i) blocks.push_back(regionAllocate(300));
      for (void* block : blocks) chunks.insert(chunkStart(block));
      for (void* block : blocks) regionFree(block);
      // A large mapping kept for the thread's next call goes with the thread too.
      void* large = regionAllocate(2 * regionChunkBytes);
      chunks.insert(chunkStart(large));
      regionFree(large);
      EXPECT_GT(regionThreadStats().keptSingleBytes, 0u);
      EXPECT_GE(regionThreadStats().keptChunks, chunks.size() - 1);
      EXPECT_EQ(regionThreadStats().liveBlocks, 0);
    }).join();
    for (uintptr_t chunk : chunks) EXPECT_FALSE(isMapped(chunk));
  });
}

// Producers allocate and stamp blocks and hand them to a consumer on another thread, which checks and
// frees them while the producers go on carving from the same chunks.
TEST(Region, BlocksFreedOnOtherThreadsWhileTheirOwnersCarve) {
  onFreshThread([] {
    struct Handed {
      void* block;
      size_t size;
      uint8_t seed;
    };
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Handed> queue;
    int producersLeft = 3;
    int corrupted = 0;
    std::thread consumer([&] {
      std::unique_lock<std::mutex> lock(mutex);
      for (;;) {
        ready.wait(lock, [&] { return !queue.empty() || producersLeft == 0; });
        if (queue.empty()) break;
        const Handed handed = queue.front();
        queue.pop_front();
        lock.unlock();
        if (!stampIntact(handed.block, handed.size, handed.seed)) ++corrupted;
        regionFree(handed.block);
        lock.lock();
      }
    });
    std::vector<std::thread> producers;
    for (int p = 0; p < 3; ++p) {
      producers.emplace_back([&, p] {
        std::vector<Handed> own;
        for (int i = 0; i < 20000; ++i) {
          const size_t size = 8 + static_cast<size_t>((i * 13 + p) % 120);
          Handed handed{regionAllocate(size), size, static_cast<uint8_t>(i + p)};
          stamp(handed.block, size, handed.seed);
          if (i % 3 == 0) {
            own.push_back(handed);  // freed here, among the consumer's frees of the same chunks
            continue;
          }
          std::lock_guard<std::mutex> lock(mutex);
          queue.push_back(handed);
          ready.notify_one();
        }
        for (const Handed& handed : own) {
          if (!stampIntact(handed.block, handed.size, handed.seed)) ++corrupted;
          regionFree(handed.block);
        }
        std::lock_guard<std::mutex> lock(mutex);
        --producersLeft;
        ready.notify_one();
      });
    }
    for (std::thread& producer : producers) producer.join();
    consumer.join();
    EXPECT_EQ(corrupted, 0);
  });
}

// The library's own use: after a large request a thread holds no block, keeps the large request's memory
// for the calls that follow, and is back at its floor once enough small ones went by.
TEST(RegionCompilations, MemoryKeptBetweenCompilationsFallsBackAfterLargeRequest) {
  bool carved = false;
  onFreshThread([&] {
    XcompResult* results = nullptr;
    CompileError* errors = nullptr;
    compileStatement("BEGIN NULL; END;", &results, &errors, nullptr);
    releaseCompilation(&results, &errors);
    carved = regionThreadStats().peakMappedBytes > 0;
  });
  // Under AddressSanitizer a compilation's blocks come from the heap, and the thread keeps nothing.
  if (!carved) GTEST_SKIP() << "blocks come from the heap in this build";
  onFreshThread([] {
    std::string text = "CREATE OR REPLACE PROCEDURE fill_totals(p_from IN NUMBER) IS\n  v_total NUMBER := 0;\nBEGIN\n";
    while (text.size() < 600 * 1024) text += "  v_total := v_total + p_from * 2; -- running sum\n";
    text += "END fill_totals;\n";
    const RegionThreadStats before = regionThreadStats();
    regionResetPeak();
    XcompResult* results = nullptr;
    CompileError* errors = nullptr;
    compileStatement(text.c_str(), &results, &errors, nullptr);
    EXPECT_EQ(errors, nullptr);
    EXPECT_NE(results, nullptr);
    releaseCompilation(&results, &errors);
    const RegionThreadStats after = regionThreadStats();
    EXPECT_EQ(after.liveBlocks, before.liveBlocks);
    EXPECT_GT(after.keptChunks, regionCachedChunks + 1);
    EXPECT_LE(after.keptChunks, regionKeptChunksAtMost + 1);
    for (size_t i = 0; i < regionRecentCompilations + regionKeptChunksAtMost; ++i) {
      compileStatement("BEGIN NULL; END;", &results, &errors, nullptr);
      releaseCompilation(&results, &errors);
    }
    const RegionThreadStats settled = regionThreadStats();
    EXPECT_EQ(settled.liveBlocks, before.liveBlocks);
    EXPECT_LE(settled.keptChunks, regionCachedChunks + 1);
    EXPECT_LE(settled.mappedBytes,
              static_cast<int64_t>((regionCachedChunks + 1) * regionChunkBytes + settled.keptSingleBytes));
    hostTrimThreadMemory();
    EXPECT_EQ(regionThreadStats().keptChunks, 0u);
  });
}

}  // namespace
