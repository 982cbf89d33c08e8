// text_buffer.cpp - the chunked buffer one statement is assembled in. Text is never moved once
// written; a reset keeps the chunks, so a request with many statements reuses the same memory.
#include "emit/emit_context.h"

#include <cassert>
#include <cstring>

#include "pool/pool.h"

namespace {

TextChunk* newChunk(uint64_t capacity) {
  auto* chunk = static_cast<TextChunk*>(ctxAlloc(sizeof(TextChunk)));
  chunk->next = nullptr;
  chunk->data = static_cast<char*>(ctxAlloc(capacity));
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
  return buffer;
}

void textAppend(TextBuffer* buffer, const char* text) {
  if (buffer == nullptr || text == nullptr) return;
  uint64_t remaining = std::strlen(text);
  if (remaining == 0) return;
  if (buffer->first == nullptr) {
    buffer->first = newChunk(buffer->chunkSize);
    buffer->current = buffer->first;
  }
  while (remaining > 0) {
    TextChunk* chunk = buffer->current;
    if (chunk->used == chunk->capacity) {
      // Chunks left from before a reset are filled before any new one is taken from the pool.
      if (chunk->next == nullptr) chunk->next = newChunk(buffer->chunkSize / 10);
      buffer->current = chunk->next;
      continue;
    }
    const uint64_t room = chunk->capacity - chunk->used;
    const uint64_t n = remaining < room ? remaining : room;
    std::memcpy(chunk->data + chunk->used, text, n);
    chunk->used += n;
    text += n;
    remaining -= n;
  }
}

uint64_t textLength(const TextBuffer* buffer) {
  if (buffer == nullptr) return 0;
  uint64_t length = 0;
  for (const TextChunk* chunk = buffer->first; chunk != nullptr; chunk = chunk->next) length += chunk->used;
  return length;
}

void textCopyTo(char* destination, const TextBuffer* buffer) {
  if (buffer != nullptr) {
    for (const TextChunk* chunk = buffer->first; chunk != nullptr; chunk = chunk->next) {
      std::memcpy(destination, chunk->data, chunk->used);
      destination += chunk->used;
    }
  }
  *destination = '\0';
}

void textReset(TextBuffer* buffer) {
  if (buffer == nullptr) return;
  for (TextChunk* chunk = buffer->first; chunk != nullptr; chunk = chunk->next) chunk->used = 0;
  buffer->current = buffer->first;
}
