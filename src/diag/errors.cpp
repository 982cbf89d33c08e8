// errors.cpp - building and chaining error records. Each builder copies its texts into the pool, so a
// record never points into a scanner buffer or a caller's string that dies before the SQLCA is written.
#include "diag/errors.h"

#include <type_traits>

#include "ast/ast.h"
#include "diag/session.h"
#include "pool/pool.h"

static_assert(std::is_trivially_destructible_v<CompileError>);

const CompileError oomError = {nullptr, "Out of memory", outOfMemory, -1, nullptr, nullptr, nullptr, nullptr, 0};
const CompileError internalErrorRecord = {nullptr, "Internal error", internalError, -1, nullptr,
                                          nullptr, nullptr,          nullptr,       0};

const char* errorDomainName(uint32_t domain) {
  // The two exhaustion domains have no name here: their records are static and never formatted.
  switch (domain) {
    case syntax: return "syntax";
    case lexical: return "lexical";
    case unsupportedFeature: return "unsupportedFeature";
    case internalError: return "internalError";
    default: return "unknown error domain";
  }
}

const char* errorDomainKey(uint32_t domain) {
  switch (domain) {
    case outOfMemory: return "outOfMemory";
    case statementTooBig: return "statementTooBig";
    default: return errorDomainName(domain);
  }
}

void appendError(CompileError** chain, CompileError* error) {
  error->next = nullptr;
  error->tailHint = nullptr;
  CompileError* head = *chain;
  if (head == nullptr) {
    *chain = error;
    return;
  }
  // The chain only grows during a compilation, so the hint is always inside it.
  CompileError* last = head->tailHint != nullptr ? head->tailHint : head;
  while (last->next != nullptr) last = last->next;
  last->next = error;
  head->tailHint = error;
}

namespace {
const char* copyOrNull(const char* text) { return text == nullptr ? nullptr : ctxStrdup(text); }
}  // namespace

CompileError* recordError(CompileError** chain, const char* message, uint32_t domain, int32_t line,
                          const char* nearText, const char* detail, const char* extra) {
  auto* error = static_cast<CompileError*>(ctxAlloc(sizeof(CompileError)));
  error->next = nullptr;
  error->message = copyOrNull(message);
  error->domain = domain;
  error->line = line;
  error->nearText = copyOrNull(nearText);
  error->detail = copyOrNull(detail);
  error->extra = copyOrNull(extra);
  error->column = 0;
  appendError(chain, error);
  return error;
}

void raiseSyntaxError(int32_t line, const char* detail, const char* nearText, const char* extra, CompileError** chain) {
  recordError(chain, syntaxErrorMessage, syntax, line, nearText, detail, extra);
}

void raiseUnsupported(const char* message, const char* detail, const AstNode* node, CompileError** chain) {
  const int32_t line = node == nullptr ? -1 : node->line + 1;
  recordError(chain, message, unsupportedFeature, line, tokenText(node), detail, nullptr);
}

void raiseStatementTooBig(const char* message, int32_t line, CompileError** chain) {
  recordError(chain, message, statementTooBig, line, nullptr, nullptr, nullptr);
}

CompileError* recordNote(CompileError** notes, NoteKind kind, const char* message, int32_t line, const char* detail,
                         uint32_t extension) {
  if (notes == nullptr) return nullptr;
  return recordError(notes, message, kind, line, nullptr, detail, extensionName(extension));
}
