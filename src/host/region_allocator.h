// region_allocator.h - private to host/: the per-thread region allocator behind hostGetMemoryBlock.
// Small blocks are carved in order from large aligned chunks, so a block needs no header of its own: its
// chunk is found by masking its address. Each chunk counts its live blocks and goes back to the thread's
// cache of empty chunks when the count drops to zero; once nothing of the thread's is live (its
// compilation ended), the cache is cut back to what the thread's recent compilations needed (at least a
// few chunks, at most a cap) and the rest goes to the system. Large blocks get a mapping of their own,
// laid out like a chunk holding one block; the thread keeps a few such mappings of up to a few MiB (the
// entry point's private block asks for one on every call) for the next requests that fit them.
// Any thread may free any block: the count is atomic, and a thread only batches its own decrements.
#pragma once

#include <cstddef>
#include <cstdint>

// Size and alignment of a chunk; a chunk's header sits at its start.
constexpr size_t regionChunkBytes = 256 * 1024;
// Chunks are mapped eight at a time, aligned so that the system can back them with one huge page.
constexpr size_t regionSegmentBytes = 8 * regionChunkBytes;
// Blocks above this size get a mapping of their own instead of being carved.
constexpr size_t regionLargeBlock = regionChunkBytes / 2;
// Empty chunks a thread keeps between compilations whatever came before, besides the chunk it carves
// from: 4 MiB in all, what a request of about 100 KB needs, so such requests run on warm memory.
constexpr size_t regionCachedChunks = 15;
// A thread that compiled something larger keeps the chunks it needed, so a run of requests among which
// large ones recur does not map and clear the same memory again each time one comes: for the next
// regionRecentCompilations compilations but no longer than regionRecentSeconds, or until it has made no
// call for regionIdleSeconds (checked at its next call), and never more than regionKeptChunksAtMost
// (32 MiB, what a request of about 500 KB needs): an idle thread holds at most that much beyond its
// floor until it calls again or ends. A need met again starts its time over.
constexpr size_t regionRecentCompilations = 1024;
constexpr int64_t regionRecentSeconds = 10;
constexpr int64_t regionIdleSeconds = 2;
constexpr size_t regionKeptChunksAtMost = 128;
// Freed large mappings a thread keeps for reuse: how many, the largest it keeps and their total. One not
// taken again within regionRecentCompilations compilations or regionRecentSeconds, or after the thread
// was idle, goes.
constexpr size_t regionKeptSingles = 8;
constexpr size_t regionKeptSingleBytes = 4 * 1024 * 1024;
constexpr size_t regionKeptSinglesTotal = 16 * 1024 * 1024;

// A block of at least `size` bytes (0 counts as 1), 8-byte aligned, not zeroed; null when the system
// refuses the memory.
void* regionAllocate(size_t size);
// Returns a block from regionAllocate, on any thread. Null is ignored.
void regionFree(void* block);
// Gives this thread's idle memory back to the system: the cached empty chunks, the kept large mapping,
// and the chunk it carves from when nothing in it is live. Blocks still live stay where they are.
void regionTrimThread();

// What this thread holds and has mapped, for tests and benchmarks.
struct RegionThreadStats {
  size_t keptChunks;        // the chunk carved from (when there is one) plus the cached empty chunks
  size_t cachedChunks;      // empty chunks waiting for reuse
  size_t keptSingleBytes;   // the freed large mappings kept for reuse
  int64_t liveBlocks;       // blocks allocated on this thread minus blocks freed on it
  int64_t mappedBytes;      // bytes this thread mapped minus bytes it unmapped (negative when it
                            // unmapped chunks another thread mapped)
  int64_t peakMappedBytes;  // the highest mappedBytes since the last regionResetPeak
};
RegionThreadStats regionThreadStats();
// Starts a new peak measurement at the current mappedBytes.
void regionResetPeak();
// Moves this thread's view of the clock `seconds` on, so tests can age what it keeps without waiting.
void regionMoveClockOn(int64_t seconds);
