// region_allocator.cpp - the host's memory blocks (hostGetMemoryBlock and its test hooks), carved from
// chunks mapped per thread. A compilation allocates hundreds of thousands of small blocks and frees nearly
// all of them at once at its end, in the order it made them; carving in order keeps them packed, and
// counting frees per chunk (batched while they hit the same chunk) makes that sweep cheap. The block
// calls and the allocator share one file so that a block costs one lookup of the thread's state.
//
// A chunk's live count: while a thread carves from the chunk, the count holds a bias (far more blocks
// than a chunk can hold) minus the frees so far, so it cannot reach zero; when the thread moves on, it
// adds the blocks it carved and takes the bias away. Whoever brings the count to zero owns the chunk.
#include "host/region_allocator.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <new>

#include "host/host.h"

// Under AddressSanitizer every block is its own heap block again, so the sanitizer sees each overrun,
// use after free and leak of a single allocation; the region allocator has unit tests of its own.
#if defined(__SANITIZE_ADDRESS__)
#define XCOMP_BLOCKS_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define XCOMP_BLOCKS_FROM_HEAP 1
#endif
#endif

namespace {

struct alignas(64) ChunkHeader {
  std::atomic<int64_t> live;
  size_t mappedBytes;       // the whole mapping: regionChunkBytes for carving chunks, a multiple for a large block
  bool single;              // holds one large block
  ChunkHeader* nextCached;  // the next empty chunk in the thread's cache
  uint64_t keptSince;       // a kept large mapping: the thread's compilation count when it was kept
  int64_t keptSeconds;      // and the coarse clock then
};

constexpr int64_t carvingBias = int64_t{1} << 40;
constexpr size_t hugePagesFrom = (regionCachedChunks + 1) * regionChunkBytes;
constexpr size_t firstBlockOffset = sizeof(ChunkHeader);
static_assert(firstBlockOffset % 8 == 0);
static_assert((regionChunkBytes & (regionChunkBytes - 1)) == 0, "chunks are found by masking");

// Everything a thread keeps. Trivial, so reaching it costs no initialisation check; the cleanup at thread
// exit lives in a separate object that is armed the first time the thread keeps anything.
struct ThreadRegion {
  char* cursor;  // next free byte of the chunk carved from
  char* limit;   // its end
  ChunkHeader* current;
  int64_t carved;  // blocks carved from `current` since it was taken or rewound
  // Frees of one chunk not yet taken off its count.
  ChunkHeader* pendingChunk;
  int64_t pendingFrees;
  ChunkHeader* cache;  // empty chunks, the last recycled first
  size_t cachedCount;
  size_t leastCached;                           // the fewest cached chunks since the last compilation ended
  size_t recentNeed;                            // the most chunks one of the recent compilations took from the cache
  size_t sinceRecentNeed;                       // compilations ended since recentNeed was set
  int64_t recentNeedSeconds;                    // the coarse clock when recentNeed was set
  int64_t lastEndedSeconds;                     // when the last compilation ended (coarse monotonic clock)
  uint64_t compilations;                        // compilations ended on this thread
  ChunkHeader* keptSingles[regionKeptSingles];  // freed large mappings, kept for requests that fit them
  int64_t liveBlocks;
  int64_t mappedBytes;
  int64_t peakMappedBytes;
  bool cleanupArmed;
  bool exiting;  // the thread's cleanup ran: no more caching or batching on it
  // The host's failure injection: block requests since the hook was last armed, and the one to refuse.
  uint64_t blockRequests;
  uint64_t failAtRequest;
  int64_t clockAhead;  // seconds the tests moved this thread's clock on
};

thread_local ThreadRegion region;

// The calling thread's record, looked up once per block call. Without the empty asm the compiler treats
// the thread-local address as free to recompute and looks it up again at nearly every use.
[[gnu::always_inline]] inline ThreadRegion& thisThread() {
  ThreadRegion* r = &region;
  asm("" : "+r"(r));
  return *r;
}

ChunkHeader* chunkOf(const void* block) {
  return reinterpret_cast<ChunkHeader*>(reinterpret_cast<uintptr_t>(block) & ~uintptr_t{regionChunkBytes - 1});
}

size_t pageBytes() {
  static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return page;
}

// A mapping of `bytes` aligned to `alignment` (both multiples of regionChunkBytes), or null. Once the
// thread holds more than it may keep between compilations, mappings of a huge page's size and more are
// backed by huge pages: fresh memory is most of what a large compilation costs, and one fault per 2 MiB
// is far cheaper than 512. Small compilations stay on small pages, which they touch only as they go.
ChunkHeader* mapAligned(ThreadRegion& r, size_t bytes, size_t alignment, bool single) {
  const size_t slack = alignment - pageBytes();
  void* raw = mmap(nullptr, bytes + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (start + alignment - 1) & ~uintptr_t{alignment - 1};
  if (aligned > start) munmap(raw, aligned - start);
  const uintptr_t end = start + bytes + slack;
  if (end > aligned + bytes) munmap(reinterpret_cast<void*>(aligned + bytes), end - (aligned + bytes));
#ifdef MADV_HUGEPAGE
  if (bytes >= regionSegmentBytes && r.mappedBytes >= static_cast<int64_t>(hugePagesFrom)) {
    madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
  }
#endif
  auto* chunk = new (reinterpret_cast<void*>(aligned)) ChunkHeader;
  chunk->mappedBytes = bytes;
  chunk->single = single;
  r.mappedBytes += static_cast<int64_t>(bytes);
  if (r.mappedBytes > r.peakMappedBytes) r.peakMappedBytes = r.mappedBytes;
  return chunk;
}

void unmap(ThreadRegion& r, ChunkHeader* chunk) {
  const size_t bytes = chunk->mappedBytes;
  r.mappedBytes -= static_cast<int64_t>(bytes);
  munmap(chunk, bytes);
}

void releaseThread();

void dropKeptSingles(ThreadRegion& r) {
  for (ChunkHeader*& kept : r.keptSingles) {
    if (kept != nullptr) unmap(r, kept);
    kept = nullptr;
  }
}

struct ThreadCleanup {
  ~ThreadCleanup() { releaseThread(); }
  bool armed = false;
};
thread_local ThreadCleanup cleanup;

void armCleanup(ThreadRegion& r) {
  if (r.cleanupArmed || r.exiting) return;
  cleanup.armed = true;  // the first use registers the destructor for this thread
  r.cleanupArmed = true;
}

ChunkHeader* takeCached(ThreadRegion& r) {
  ChunkHeader* chunk = r.cache;
  if (chunk != nullptr) {
    r.cache = chunk->nextCached;
    --r.cachedCount;
    if (r.cachedCount < r.leastCached) r.leastCached = r.cachedCount;
  }
  return chunk;
}

// Back to the system, down to `keep` cached chunks. Neighbouring chunks (most of a segment comes back
// together) go in one unmapping: each call costs the kernel a flush of the address translations, and a
// whole segment backed by a huge page is released without splitting it.
void trimCache(ThreadRegion& r, size_t keep) {
  constexpr size_t batch = 64;
  while (r.cachedCount > keep) {
    ChunkHeader* chunks[batch];
    size_t n = 0;
    while (n < batch && r.cachedCount > keep) chunks[n++] = takeCached(r);
    std::sort(chunks, chunks + n);
    size_t run = 0;
    for (size_t i = 1; i <= n; ++i) {
      const char* runEnd = reinterpret_cast<const char*>(chunks[i - 1]) + regionChunkBytes;
      if (i < n && reinterpret_cast<const char*>(chunks[i]) == runEnd) continue;
      const size_t bytes = static_cast<size_t>(runEnd - reinterpret_cast<const char*>(chunks[run]));
      r.mappedBytes -= static_cast<int64_t>(bytes);
      munmap(chunks[run], bytes);
      run = i;
    }
  }
}

int64_t coarseSeconds(const ThreadRegion& r) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<int64_t>(now.tv_sec) + r.clockAhead;
}

// How many empty chunks the thread keeps while nothing of its own is live: what the largest of its recent
// compilations took, within the floor and the cap.
size_t keptBetweenCompilations(const ThreadRegion& r) {
  return std::clamp(r.recentNeed, regionCachedChunks, regionKeptChunksAtMost);
}

// Between compilations: a cache over the cap is cut back at once (the compilation that grew it pays);
// below the cap, what is no longer kept goes a few chunks per compilation, so no small request after a
// large one pays for unmapping all of it.
void settleCache(ThreadRegion& r) {
  const size_t keep = keptBetweenCompilations(r);
  if (r.cachedCount <= keep) return;
  constexpr size_t step = regionSegmentBytes / regionChunkBytes;
  trimCache(r, r.cachedCount > regionKeptChunksAtMost ? regionKeptChunksAtMost
                                                      : std::max(keep, r.cachedCount - std::min(r.cachedCount, step)));
}

// A compilation ended (the thread's last live block went): note what it took from the cache, so the next
// ones find that much warm memory, and forget older needs once they are out of the window or the thread
// was idle. One clock read per compilation, and one per large mapping kept.
void noteCompilationEnded(ThreadRegion& r) {
  const size_t need = r.cachedCount > r.leastCached ? r.cachedCount - r.leastCached : 0;
  const int64_t now = coarseSeconds(r);
  const bool wasIdle = r.compilations > 0 && now - r.lastEndedSeconds > regionIdleSeconds;
  if (need >= r.recentNeed || ++r.sinceRecentNeed > regionRecentCompilations || wasIdle ||
      now - r.recentNeedSeconds > regionRecentSeconds) {
    r.recentNeed = need;
    r.sinceRecentNeed = 0;
    r.recentNeedSeconds = now;
  }
  r.lastEndedSeconds = now;
  r.leastCached = r.cachedCount;
  // A kept large mapping that no recent compilation took again goes, and after a pause every one kept
  // before this compilation (the private block, taken and given back on every call, never ages).
  const uint64_t ended = r.compilations++;
  for (ChunkHeader*& kept : r.keptSingles) {
    if (kept == nullptr) continue;
    const bool stale = ended - kept->keptSince > regionRecentCompilations ||
                       now - kept->keptSeconds > regionRecentSeconds || (wasIdle && kept->keptSince < ended);
    if (!stale) continue;
    unmap(r, kept);
    kept = nullptr;
  }
}

// An empty chunk goes to the cache, for what the thread allocates next; the block calls cut the cache
// back once nothing of the thread's is live.
void recycle(ThreadRegion& r, ChunkHeader* chunk) {
  if (r.exiting) {
    unmap(r, chunk);
    return;
  }
  armCleanup(r);
  chunk->nextCached = r.cache;
  r.cache = chunk;
  ++r.cachedCount;
}

size_t keptSingleBytes(const ThreadRegion& r) {
  size_t bytes = 0;
  for (const ChunkHeader* kept : r.keptSingles) bytes += kept != nullptr ? kept->mappedBytes : 0;
  return bytes;
}

// Keeps a freed large mapping for the thread's next requests, making room by giving back smaller kept
// ones (a free place and room within the total are both needed); false when the kept ones are all as
// large, and the mapping is not kept.
bool keepSingle(ThreadRegion& r, ChunkHeader* single) {
  for (;;) {
    ChunkHeader** freePlace = nullptr;
    ChunkHeader** smallest = nullptr;
    for (ChunkHeader*& kept : r.keptSingles) {
      if (kept == nullptr) {
        freePlace = &kept;
      } else if (smallest == nullptr || kept->mappedBytes < (*smallest)->mappedBytes) {
        smallest = &kept;
      }
    }
    if (freePlace != nullptr && keptSingleBytes(r) + single->mappedBytes <= regionKeptSinglesTotal) {
      armCleanup(r);
      single->keptSince = r.compilations;
      single->keptSeconds = coarseSeconds(r);
      *freePlace = single;
      return true;
    }
    if (smallest == nullptr || (*smallest)->mappedBytes >= single->mappedBytes) return false;
    unmap(r, *smallest);
    *smallest = nullptr;
  }
}

// A freed large block's mapping is kept whole when it is of a size the thread keeps; otherwise it is cut
// into chunks for the cache while the compilation goes on (the scanner's copies of a very large text,
// freed after parsing, become the emitter's chunks), and goes when nothing of the thread's is live.
void releaseSingle(ThreadRegion& r, ChunkHeader* single) {
  const size_t bytes = single->mappedBytes;
  // The entry point's private block is one of these on every call, and a large unit's copies and output
  // are others: keeping a few spares a mapping, cleared pages and an unmapping each time.
  if (!r.exiting && bytes <= regionKeptSingleBytes && keepSingle(r, single)) return;
  if (r.exiting || r.liveBlocks <= 0) {
    unmap(r, single);
    return;
  }
  char* const start = reinterpret_cast<char*>(single);
  for (size_t offset = 0; offset < bytes; offset += regionChunkBytes) {
    auto* chunk = new (start + offset) ChunkHeader;
    chunk->mappedBytes = regionChunkBytes;
    chunk->single = false;
    recycle(r, chunk);
  }
}

void rewindCurrent(ThreadRegion& r) {
  r.current->live.store(carvingBias, std::memory_order_relaxed);
  r.carved = 0;
  r.cursor = reinterpret_cast<char*>(r.current) + firstBlockOffset;
}

void flushPending(ThreadRegion& r) {
  ChunkHeader* chunk = r.pendingChunk;
  if (chunk == nullptr) return;
  const int64_t frees = r.pendingFrees;
  r.pendingChunk = nullptr;
  r.pendingFrees = 0;
  const int64_t left = chunk->live.fetch_sub(frees, std::memory_order_acq_rel) - frees;
  if (left == 0) {
    recycle(r, chunk);
  } else if (chunk == r.current && left == carvingBias - r.carved) {
    // Everything carved from the chunk in use is free again: carve it anew from the start, while its
    // pages are still warm.
    rewindCurrent(r);
  }
}

// Stops carving from the current chunk; it is recycled at once when nothing in it is live.
void retireCurrent(ThreadRegion& r) {
  ChunkHeader* chunk = r.current;
  if (chunk == nullptr) return;
  if (r.pendingChunk == chunk) flushPending(r);
  r.current = nullptr;
  r.cursor = nullptr;
  r.limit = nullptr;
  const int64_t adjust = r.carved - carvingBias;
  r.carved = 0;
  if (chunk->live.fetch_add(adjust, std::memory_order_acq_rel) + adjust == 0) recycle(r, chunk);
}

// A block of its own mapping, for large requests and for a thread whose cleanup already ran.
void* allocateSingle(ThreadRegion& r, size_t size) {
  if (size > SIZE_MAX - firstBlockOffset - regionChunkBytes) return nullptr;
  // Whole chunks, so that the mapping can be cut into chunks when the block is freed; the pages past
  // the block are never touched and cost only address space.
  const size_t bytes = (firstBlockOffset + size + regionChunkBytes - 1) & ~(regionChunkBytes - 1);
  // A kept mapping serves a request of its size class, the closest fit first: at most twice what is
  // asked, so a small large block does not hold a mapping of several MiB.
  ChunkHeader** fit = nullptr;
  for (ChunkHeader*& kept : r.keptSingles) {
    if (kept == nullptr || kept->mappedBytes < bytes || kept->mappedBytes / 2 > bytes) continue;
    if (fit == nullptr || kept->mappedBytes < (*fit)->mappedBytes) fit = &kept;
  }
  ChunkHeader* chunk = nullptr;
  if (fit != nullptr) {
    chunk = *fit;
    *fit = nullptr;
  } else {
    chunk = mapAligned(r, bytes, bytes >= regionSegmentBytes ? regionSegmentBytes : regionChunkBytes, true);
  }
  if (chunk == nullptr) return nullptr;
  chunk->live.store(1, std::memory_order_relaxed);
  ++r.liveBlocks;
  return reinterpret_cast<char*>(chunk) + firstBlockOffset;
}

// Chunks are mapped a segment at a time, straight into the cache.
bool mapSegment(ThreadRegion& r) {
  ChunkHeader* segment = mapAligned(r, regionSegmentBytes, regionSegmentBytes, false);
  if (segment == nullptr) return false;
  char* const start = reinterpret_cast<char*>(segment);
  for (size_t offset = regionSegmentBytes; offset > 0; offset -= regionChunkBytes) {
    auto* chunk = new (start + offset - regionChunkBytes) ChunkHeader;
    chunk->mappedBytes = regionChunkBytes;
    chunk->single = false;
    chunk->nextCached = r.cache;
    r.cache = chunk;
    ++r.cachedCount;
  }
  return true;
}

void* carveFromNewChunk(ThreadRegion& r, size_t rounded) {
  if (r.current != nullptr) {
    if (r.pendingChunk == r.current) flushPending(r);
    // The full chunk may hold nothing live any more (a long run of allocations freed one by one).
    if (r.current->live.load(std::memory_order_acquire) == carvingBias - r.carved) {
      rewindCurrent(r);
    } else {
      retireCurrent(r);
    }
  }
  if (r.current == nullptr) {
    if (r.cache == nullptr && !mapSegment(r)) return nullptr;
    ChunkHeader* chunk = takeCached(r);
    armCleanup(r);
    r.current = chunk;
    r.limit = reinterpret_cast<char*>(chunk) + regionChunkBytes;
    rewindCurrent(r);
  }
  char* block = r.cursor;
  r.cursor += rounded;
  ++r.carved;
  ++r.liveBlocks;
  return block;
}

void releaseThread() {
  ThreadRegion& r = region;
  flushPending(r);
  r.exiting = true;  // from here on nothing is cached or batched for this thread
  retireCurrent(r);
  trimCache(r, 0);
  dropKeptSingles(r);
}

// Everything but carving from the current chunk: a large block, a full chunk, a thread whose cleanup
// ran (it carves from no chunk). Out of line, so the block call itself saves no registers.
[[gnu::noinline]] void* allocateSlowly(ThreadRegion& r, size_t size) {
  if (size > regionLargeBlock || r.exiting) return allocateSingle(r, size);
  return carveFromNewChunk(r, size == 0 ? 8 : (size + 7) & ~size_t{7});
}

[[gnu::always_inline]] inline void* allocate(ThreadRegion& r, size_t size) {
  const size_t rounded = size == 0 ? 8 : (size + 7) & ~size_t{7};
  char* block = r.cursor;
  if (size <= regionLargeBlock && static_cast<size_t>(r.limit - block) >= rounded) [[likely]] {
    r.cursor = block + rounded;
    ++r.carved;
    ++r.liveBlocks;
    return block;
  }
  return allocateSlowly(r, size);
}

[[gnu::noinline]] void releaseCounted(ThreadRegion& r, ChunkHeader* chunk);

// A compilation's end frees its blocks in the order they were carved, so nearly every free is one more
// of the chunk whose frees are being batched: that case is a count, the rest is releaseCounted's.
[[gnu::always_inline]] inline void release(ThreadRegion& r, void* block) {
  if (block == nullptr) return;
  ChunkHeader* chunk = chunkOf(block);
  if (chunk == r.pendingChunk && r.liveBlocks > 1) [[likely]] {
    --r.liveBlocks;
    ++r.pendingFrees;
    return;
  }
  releaseCounted(r, chunk);
}

void releaseCounted(ThreadRegion& r, ChunkHeader* chunk) {
  --r.liveBlocks;
  if (chunk->single) {
    releaseSingle(r, chunk);
  } else if (chunk == r.pendingChunk) {
    ++r.pendingFrees;
  } else {
    flushPending(r);
    armCleanup(r);
    r.pendingChunk = chunk;
    r.pendingFrees = 1;
  }
  // Nothing of this thread's is live (a compilation just ended), or it frees what others made: take the
  // frees off the count now rather than keep a chunk waiting, and keep no more than a thread may keep.
  if (r.liveBlocks <= 0 || r.exiting) [[unlikely]] {
    flushPending(r);
    if (r.liveBlocks == 0 && !r.exiting) noteCompilationEnded(r);
    settleCache(r);
  }
}

}  // namespace

void* regionAllocate(size_t size) { return allocate(region, size); }

void regionFree(void* block) { release(region, block); }

void regionTrimThread() {
  ThreadRegion& r = region;
  flushPending(r);
  if (r.current != nullptr && r.current->live.load(std::memory_order_acquire) == carvingBias - r.carved) {
    ChunkHeader* chunk = r.current;
    r.current = nullptr;
    r.cursor = nullptr;
    r.limit = nullptr;
    unmap(r, chunk);
  }
  trimCache(r, 0);
  dropKeptSingles(r);
  r.recentNeed = 0;
  r.leastCached = 0;
}

RegionThreadStats regionThreadStats() {
  const ThreadRegion& r = region;
  return RegionThreadStats{r.cachedCount + (r.current != nullptr ? 1 : 0),
                           r.cachedCount,
                           keptSingleBytes(r),
                           r.liveBlocks,
                           r.mappedBytes,
                           r.peakMappedBytes};
}

void regionMoveClockOn(int64_t seconds) { region.clockAhead += seconds; }

void regionResetPeak() {
  ThreadRegion& r = region;
  r.peakMappedBytes = r.mappedBytes;
}

// ---- the host's memory blocks ----

void* hostGetMemoryBlock(size_t size, uint32_t* returnCode, const char* /*sourceFile*/, int /*failurePoint*/) {
  ThreadRegion& r = thisThread();
  ++r.blockRequests;
  if (r.failAtRequest != 0 && r.blockRequests == r.failAtRequest) [[unlikely]] {
    *returnCode = 1;
    return nullptr;
  }
#ifdef XCOMP_BLOCKS_FROM_HEAP
  void* block = std::malloc(size == 0 ? 1 : size);
#else
  void* block = allocate(r, size);
#endif
  *returnCode = block == nullptr ? 1 : 0;
  return block;
}

void hostFreeMemoryBlock(const char* /*sourceFile*/, int /*failurePoint*/, void* block) {
#ifdef XCOMP_BLOCKS_FROM_HEAP
  std::free(block);
#else
  release(thisThread(), block);
#endif
}

void hostTrimThreadMemory() { regionTrimThread(); }

void hostFailNthBlock(uint64_t n) {
  ThreadRegion& r = region;
  r.failAtRequest = n;
  r.blockRequests = 0;
}

uint64_t hostBlockRequestCount() { return region.blockRequests; }
