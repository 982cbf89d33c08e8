// text_buffer.cpp - the chunked buffer one statement is assembled in. Text is never moved once
// written; a reset keeps the chunks, so a request with many statements reuses the same memory.
// Chunks are carved from pool blocks that grow with the statement; each chunk is never freed on its own.
#include "emit/emit_context.h"

#include <cassert>
#include <cstring>

#include "pool/pool.h"

static_assert(sizeof(TextChunk) % 8 == 0, "chunks are carved back to back and must stay aligned");

namespace {

// The first carving block holds a first chunk of the emitter's size and a few small ones; later blocks
// double up to the limit, so a short statement takes little and a long one few blocks.
constexpr uint64_t firstBlockSize = 512;
constexpr uint64_t largestBlockSize = 16 * 1024;

uint64_t roundUp8(uint64_t n) { return (n + 7) & ~uint64_t{7}; }

TextChunk* newChunk(TextBuffer* buffer, uint64_t capacity) {
  const uint64_t size = roundUp8(sizeof(TextChunk) + capacity);
  if (size > buffer->spareSize) {
    // A first chunk larger than any carving block (a buffer made with a large chunk size) gets a pool
    // block of its own; the spare of the current block stays for the small chunks after it.
    if (size > largestBlockSize) return static_cast<TextChunk*>(ctxAlloc(size));
    uint64_t blockSize = buffer->nextBlockSize;
    while (blockSize < size) blockSize *= 2;
    buffer->spare = static_cast<char*>(ctxAlloc(blockSize));
    buffer->spareSize = blockSize;
    if (blockSize < largestBlockSize) buffer->nextBlockSize = blockSize * 2;
  }
  auto* chunk = reinterpret_cast<TextChunk*>(buffer->spare);
  buffer->spare += size;
  buffer->spareSize -= size;
  return chunk;
}

// n bytes, sizeof(Word) <= n <= 2 * sizeof(Word), as the first and the last Word of the piece: the two
// moves overlap in the middle and never reach outside it.
template <typename Word>
inline void copyOverlapping(char* to, const char* from, uint64_t n) {
  Word head;
  Word tail;
  std::memcpy(&head, from, sizeof(Word));
  std::memcpy(&tail, from + n - sizeof(Word), sizeof(Word));
  std::memcpy(to, &head, sizeof(Word));
  std::memcpy(to + n - sizeof(Word), &tail, sizeof(Word));
}

// Most pieces fill part or all of an 8-byte chunk: two overlapping moves of a fixed width copy them
// without a call or a loop. Only pieces beyond 16 bytes (the first chunk, a long literal) go to the
// library's copy.
inline void copyPiece(char* to, const char* from, uint64_t n) {
  if (n > 16) {
    std::memcpy(to, from, n);
  } else if (n >= 8) {
    copyOverlapping<uint64_t>(to, from, n);
  } else if (n >= 4) {
    copyOverlapping<uint32_t>(to, from, n);
  } else if (n >= 2) {
    copyOverlapping<uint16_t>(to, from, n);
  } else if (n == 1) {
    *to = *from;
  }
}

TextChunk* linkChunk(TextBuffer* buffer, uint64_t capacity) {
  TextChunk* chunk = newChunk(buffer, capacity);
  chunk->next = nullptr;
  chunk->capacity = capacity;
  chunk->used = 0;
  return chunk;
}

}  // namespace

TextBuffer* newTextBuffer(uint64_t chunkSize) {
  if (chunkSize == 0) chunkSize = 1024;
  assert(chunkSize >= 10 && "later chunks are chunkSize / 10 bytes and must not be empty");
  auto* buffer = static_cast<TextBuffer*>(ctxAlloc(sizeof(TextBuffer)));
  buffer->first = nullptr;
  buffer->current = nullptr;
  buffer->chunkSize = chunkSize;
  buffer->spare = nullptr;
  buffer->spareSize = 0;
  buffer->nextBlockSize = firstBlockSize;
  buffer->length = 0;
  return buffer;
}

void textAppend(TextBuffer* buffer, const char* text) {
  if (buffer == nullptr || text == nullptr) return;
  textAppendBytes(buffer, text, std::strlen(text));
}

namespace {

// The rest of a piece that did not fit the chunk being filled: on into the following chunks. Chunks left
// from before a reset are filled first; past the end of the chain every chunk is new and of the same
// small capacity, carved back to back from the spare block in one loop.
[[gnu::noinline]] void appendSpilling(TextBuffer* buffer, const char* text, uint64_t n) {
  if (buffer->first == nullptr) {
    buffer->first = linkChunk(buffer, buffer->chunkSize);
    buffer->current = buffer->first;
  }
  TextChunk* chunk = buffer->current;
  for (;;) {
    const uint64_t room = chunk->capacity - chunk->used;
    const uint64_t take = n < room ? n : room;
    copyPiece(chunk->data() + chunk->used, text, take);
    chunk->used += take;
    text += take;
    n -= take;
    if (n == 0) {
      buffer->current = chunk;
      return;
    }
    if (chunk->next == nullptr) break;
    chunk = chunk->next;
  }
  // The spare block is kept in locals: the copies store bytes, which the compiler must otherwise assume
  // may change the buffer's fields, and would read them again for every chunk.
  const uint64_t capacity = buffer->chunkSize / 10;
  const uint64_t size = roundUp8(sizeof(TextChunk) + capacity);
  char* spare = buffer->spare;
  uint64_t spareSize = buffer->spareSize;
  do {
    TextChunk* next;
    if (size <= spareSize) [[likely]] {
      next = reinterpret_cast<TextChunk*>(spare);
      spare += size;
      spareSize -= size;
    } else {
      buffer->spare = spare;
      buffer->spareSize = spareSize;
      next = newChunk(buffer, capacity);
      spare = buffer->spare;
      spareSize = buffer->spareSize;
    }
    const uint64_t take = n < capacity ? n : capacity;
    next->next = nullptr;
    next->capacity = capacity;
    next->used = take;
    copyPiece(next->data(), text, take);
    text += take;
    n -= take;
    chunk->next = next;
    chunk = next;
  } while (n != 0);
  buffer->spare = spare;
  buffer->spareSize = spareSize;
  buffer->current = chunk;
}

}  // namespace

void textAppendBytes(TextBuffer* buffer, const char* text, uint64_t n) {
  if (buffer == nullptr || text == nullptr || n == 0) return;
  buffer->length += n;
  TextChunk* const current = buffer->current;
  if (current != nullptr && n <= current->capacity - current->used) {
    copyPiece(current->data() + current->used, text, n);
    current->used += n;
    return;
  }
  appendSpilling(buffer, text, n);
}

// Kept as text is appended: a long statement's chunks are walked once, by the copy, not twice.
uint64_t textLength(const TextBuffer* buffer) { return buffer == nullptr ? 0 : buffer->length; }

void textCopyTo(char* destination, const TextBuffer* buffer) {
  if (buffer != nullptr) {
    // Chunks after the one being filled hold nothing: a reset emptied them and nothing reached them since.
    for (const TextChunk* chunk = buffer->first; chunk != nullptr; chunk = chunk->next) {
      copyPiece(destination, chunk->data(), chunk->used);
      destination += chunk->used;
      if (chunk == buffer->current) break;
    }
  }
  *destination = '\0';
}

void textReset(TextBuffer* buffer) {
  if (buffer == nullptr) return;
  // Only the chunks up to the one being filled were written since the last reset.
  for (TextChunk* chunk = buffer->first; chunk != nullptr; chunk = chunk->next) {
    chunk->used = 0;
    if (chunk == buffer->current) break;
  }
  buffer->current = buffer->first;
  buffer->length = 0;
}
