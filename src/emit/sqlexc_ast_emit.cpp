// sqlexc_ast_emit.cpp - the emitter's core: the run's context, the three ways text is written (plain
// strings, token lists, statement starts), the cut of a finished statement into a result entry, and the
// dispatch of a node to its writer. Everything written goes through appendCounted so that line markers
// stay in step with the text.
#include "emit/emit_context.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "emit/emit.h"
#include "pool/pool.h"

namespace {

using EmitWriter = void (*)(AstNode* node, EmitContext* ctx);

// About four tokens ahead, with their cells and short texts.
constexpr size_t tokenPrefetchDistance = 512;

#if defined(__SSE2__)
// A piece's length and its newlines, sixteen bytes per step. The loads are aligned, so none reaches a
// page the piece does not touch; the bytes before the piece and after its NUL are masked out and never
// used. The sanitizers would take those bytes for reads outside the piece, hence the exemption.
[[gnu::no_sanitize_address, gnu::no_sanitize_thread]] size_t measurePiece(const char* text, uint32_t* newlines) {
  const auto address = reinterpret_cast<uintptr_t>(text);
  const auto* step = reinterpret_cast<const __m128i*>(address & ~uintptr_t{15});
  const unsigned before = static_cast<unsigned>(address & 15);
  const __m128i nul = _mm_setzero_si128();
  const __m128i newline = _mm_set1_epi8('\n');
  __m128i bytes = _mm_load_si128(step);
  unsigned ends = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, nul))) >> before << before;
  unsigned breaks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, newline))) >> before << before;
  uint32_t count = 0;
  // Newlines are few, so each is counted by clearing it rather than by a population count, which without
  // a target option is a library call.
  while (ends == 0) {
    for (; breaks != 0; breaks &= breaks - 1) ++count;
    bytes = _mm_load_si128(++step);
    ends = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, nul)));
    breaks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, newline)));
  }
  const unsigned end = static_cast<unsigned>(__builtin_ctz(ends));
  for (breaks &= (1u << end) - 1; breaks != 0; breaks &= breaks - 1) ++count;
  *newlines += count;
  return static_cast<size_t>(reinterpret_cast<const char*>(step) + end - text);
}
#else
size_t measurePiece(const char* text, uint32_t* newlines) {
  const size_t length = std::strlen(text);
  for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '\n', text + length - p))) != nullptr; ++p)
    ++*newlines;
  return length;
}
#endif

// Most pieces are a token's few characters: one pass finds their end and counts their newlines, where
// the library's search functions would each be called for a handful of bytes.
void appendCounted(const char* text, EmitContext* ctx) {
  if (text == nullptr) return;
  uint32_t newlines = 0;
  const size_t length = measurePiece(text, &newlines);
  if (ctx->trackLines) ctx->outputLine += newlines;
  textAppendBytes(ctx->buffer, text, length);
}

void emitList(AstNode* node, EmitContext* ctx) {
  for (AstListCell* cell = listHeadCell(static_cast<AstList*>(node)); cell != nullptr; cell = cell->next) {
    // A list of statements: the next one was made long after this one, with its own tokens in between,
    // so it is rarely at hand when the walk reaches it. Its cell was asked for one step earlier, so
    // reading it here is cheap; the statement and the cell after it arrive while this one is written.
    if (const AstListCell* ahead = cell->next; ahead != nullptr) {
      __builtin_prefetch(ahead->item);
      __builtin_prefetch(ahead->next);
    }
    emitNode(static_cast<AstNode*>(cell->item), ctx);
  }
}

void emitToken(AstNode* node, EmitContext* ctx) { appendCounted(static_cast<TokenNode*>(node)->text, ctx); }

// DROP PACKAGE p becomes the module's DROP; with a trailing clause the PL/SQL form is kept as written.
void emitDropPkgHead(AstNode* node, EmitContext* ctx) {
  auto* drop = static_cast<DropPkgHeadNode*>(node);
  beginStatement(node, ctx);
  if (drop->rest != nullptr) {
    emitTokens(drop->name, "DROP PACKAGE ", nullptr, ctx);
    emitTokens(drop->rest, " ", nullptr, ctx);
  } else {
    emitTokens(drop->name, "DROP MODULE ", nullptr, ctx);
  }
  emitStrings({ctx->terminator, "\n"}, ctx);
  finishStatement(SQLEXC_DROP_PACKAGE, ctx);
}

void emitDropPkgBody(AstNode* node, EmitContext* ctx) {
  beginStatement(node, ctx);
  emitTokens(static_cast<DropPkgBodyNode*>(node)->name, "ALTER MODULE ", " DROP BODY", ctx);
  emitStrings({ctx->terminator, "\n"}, ctx);
  finishStatement(SQLEXC_DROP_PACKAGE_BODY, ctx);
}

// Every kind is listed so that a new one cannot slip past without a decision. Null means the kind is
// written by its owner (declarations, arms reached through their statement) or has no text at all.
constexpr EmitWriter writerFor(AstNodeKind kind) {
  switch (kind) {
    case astNodeAssign: return emitAssign;
    case astNodeBlock: return emitBlock;
    case astNodeCall: return emitCall;
    case astNodeCase: return emitCase;
    case astNodeCaseExpr: return emitCaseExpr;
    case astNodeClose: return emitClose;
    case astNodePipe: return emitPipe;
    case astNodeContinue: return emitContinue;
    case astNodeCreateFunc: return emitFunction;
    case astNodeCreateProc: return emitProcedure;
    case astNodeDropPkgBody: return emitDropPkgBody;
    case astNodeDropPkgHead: return emitDropPkgHead;
    case astNodeDynamic: return emitDynamic;
    case astNodeExit: return emitExit;
    case astNodeFetch: return emitFetch;
    case astNodeFor: return emitFor;
    case astNodeFormalArg: return emitFormalArg;
    case astNodeFuncProto: return emitFuncPrototype;
    case astNodeGoto: return emitGoto;
    case astNodeHandler: return emitHandler;
    case astNodeIf: return emitIf;
    case astNodeElseIf: return emitElseIf;
    case astNodeList: return emitList;
    case astNodeLoop: return emitLoop;
    case astNodeNull: return emitNull;
    case astNodeOpen: return emitOpen;
    case astNodeProcProto: return emitProcPrototype;
    case astNodeRaise: return emitRaise;
    case astNodeReturn: return emitReturn;
    case astNodeSelect: return emitSelect;
    case astNodeSqlStmt: return emitSqlStmt;
    case astNodeToken: return emitToken;
    case astNodeWhile: return emitWhile;
    case astNodeValues: return emitValues;
    case astNodeSignal: return emitSignal;
    case astNodePrepare: return emitPrepare;
    case astNodeExecute: return emitExecute;
    case astNodeGetDiag: return emitGetDiag;
    case astNodeCreatePkgBody: return emitPackageBody;
    case astNodeCreatePkgHead: return emitPackageHead;
    case astNodeCreateType: return emitCreateType;
    case astNodeCreateTrigger: return emitTrigger;
    case astNodeSubtype: return emitSubtypeNode;
    // Pragmas have no text; declarations are written by their block, never dispatched.
    case astNodePragma:
    case astNodeGeneric:
    case astNodeGenericStatement:
    case astNodeGenericContainer:
    case astNodeGenericLoop:
    case astNodeUnused13:
    case astNodeDecl:
    case astNodeVarDecl:
    case astNodeCursorDecl:
    case astNodeRecordDecl:
    case astNodeTableDecl:
    case astNodeRefCursorDecl:
    case astNodeVarrayDecl:
    case astNodeExceptionDecl:
    case astNodeTriggerArg:
    case astNodeUsingParam: return nullptr;
  }
  return nullptr;
}

constexpr auto emitWriters = kindTable(writerFor);

// Guards the indentation across emitTokens, so that a pool exhaustion unwinding through it leaves the
// context as it found it.
class IndentSuspended {
 public:
  explicit IndentSuspended(EmitContext* ctx) : ctx_(ctx), saved_(ctx->indent) { ctx->indent = 0; }
  ~IndentSuspended() { ctx_->indent = saved_; }
  IndentSuspended(const IndentSuspended&) = delete;
  IndentSuspended& operator=(const IndentSuspended&) = delete;

 private:
  EmitContext* ctx_;
  int64_t saved_;
};

}  // namespace

XcompResult* emitTree(AstList* root, const SessionSettings* settings, CompileError** errors, CompileError** notes) {
  return emitProgram(root, settings->emitHandle, settings->emitText, settings->trackLines != 0, errors,
                     settings->extensions, notes);
}

XcompResult* emitProgram(AstNode* root, void* /*emitHandle*/, const char* terminator, bool trackLines,
                         CompileError** errors, uint32_t extensions, CompileError** notes) {
  EmitContext ctx{};
  ctx.buffer = newTextBuffer(80);
  ctx.terminator = terminator != nullptr ? terminator : "";
  ctx.trackLines = trackLines;
  ctx.root = root;
  ctx.errors = errors;
  ctx.outputLine = 1;
  ctx.extensions = extensions;
  ctx.notes = notes;
  if (root != nullptr) emitNode(root, &ctx);
  return ctx.resultHead;
}

void emitNode(AstNode* node, EmitContext* ctx) {
  if (node == nullptr || node->kind >= astNodeKindCount) return;
  checkStackRoom(node->line);
  const EmitWriter writer = emitWriters[node->kind];
  if (writer != nullptr) writer(node, ctx);
}

void emitStrings(std::initializer_list<const char*> strings, EmitContext* ctx) {
  for (const char* s : strings) {
    if (s == nullptr) return;
    appendCounted(s, ctx);
  }
}

void emitTokens(AstList* list, const char* prefix, const char* suffix, EmitContext* ctx) {
  IndentSuspended suspended(ctx);
  appendCounted(prefix, ctx);
  bool needSpace = false;
  for (AstListCell* cell = listHeadCell(list); cell != nullptr; cell = cell->next) {
    // A list's tokens, their texts and its cells lie in memory in the order the scanner made them, which
    // is the order they are written: asking for what lies ahead hides the cache misses of a long text.
    __builtin_prefetch(reinterpret_cast<const char*>(cell) + tokenPrefetchDistance);
    const auto* token = static_cast<const AstNode*>(cell->item);
    if (token == nullptr || token->kind != astNodeToken) continue;
    const char* text = static_cast<const TokenNode*>(token)->text;
    const char first = text != nullptr ? text[0] : '\0';
    if (needSpace && first != '(' && first != ')' && first != ',') {
      textAppendBytes(ctx->buffer, " ", 1);  // no newline to count
      needSpace = false;
    }
    appendCounted(text, ctx);
    needSpace = first != '(';
  }
  appendCounted(suffix, ctx);
}

void emitLineMarker(int32_t line, EmitContext* ctx) {
  if (!ctx->trackLines) return;
  const int64_t wanted = static_cast<int64_t>(line) + 1;
  const uint32_t old = ctx->outputLine;
  ctx->outputLine = static_cast<uint32_t>(wanted);
  if (static_cast<int64_t>(old) == wanted) return;
  // "--#line %03lld\n", formatted by hand: a marker opens most statements, and the formatted-output
  // machinery cost as much as writing the rest of a short statement.
  char marker[32] = "--#line ";
  constexpr size_t prefix = 8;
  if (wanted < 0) {
    std::snprintf(marker, sizeof marker, "--#line %03lld\n", static_cast<long long>(wanted));
  } else {
    char digits[20];
    size_t count = 0;
    for (uint64_t rest = static_cast<uint64_t>(wanted); rest != 0 || count < 3; rest /= 10)
      digits[count++] = static_cast<char>('0' + rest % 10);
    for (size_t i = 0; i < count; ++i) marker[prefix + i] = digits[count - 1 - i];
    marker[prefix + count] = '\n';
    marker[prefix + count + 1] = '\0';
  }
  // The marker's own newline does not move the output away from the line it announces.
  textAppend(ctx->buffer, marker);
}

void emitIndent(EmitContext* ctx) {
  if (ctx->indent != 0) appendCounted("  ", ctx);
}

void beginStatement(AstNode* node, EmitContext* ctx) {
  emitLineMarker(node->line, ctx);
  emitIndent(ctx);
  if (isStatementNode(node)) {
    const char* label = static_cast<StatementNode*>(node)->label;
    if (label != nullptr) emitStrings({label, ": "}, ctx);
  }
}

void finishStatement(StatementDomain domain, EmitContext* ctx) {
  const uint64_t n = textLength(ctx->buffer);
  if (n == 0) return;
  auto* result = static_cast<XcompResult*>(ctxAlloc(sizeof(XcompResult) + n));
  textCopyTo(result->text, ctx->buffer);
  result->length = static_cast<uint32_t>(n);
  result->domain = domain;
  result->next = nullptr;
  if (ctx->resultTail == nullptr) {
    ctx->resultHead = result;
  } else {
    ctx->resultTail->next = result;
  }
  ctx->resultTail = result;
  textReset(ctx->buffer);
  ctx->outputLine = 0;
}

void writeCreateHead(const char* objectWord, AstList* name, bool orReplace, EmitContext* ctx) {
  emitIndent(ctx);
  emitStrings({orReplace ? "CREATE OR REPLACE " : "CREATE ", objectWord, " "}, ctx);
  emitTokens(name, "", "", ctx);
}

namespace {

AstList* packageName(const AstNode* package) {
  if (package->kind == astNodeCreatePkgHead) return static_cast<const CreatePkgHeadNode*>(package)->name;
  return static_cast<const CreatePkgBodyNode*>(package)->name;
}

}  // namespace

void emitModuleHead(const AstNode* package, const char* what, EmitContext* ctx) {
  emitTokens(packageName(package), "ALTER MODULE ", "", ctx);
  emitStrings({package->kind == astNodeCreatePkgHead ? " PUBLISH " : " ADD ", what, " "}, ctx);
}

void endDeclaration(const AstNode* owner, StatementDomain domain, EmitContext* ctx) {
  if (owner != nullptr && (isPackageNode(owner) || owner->kind == astNodeCreateType)) {
    emitStrings({ctx->terminator, "\n"}, ctx);
    finishStatement(domain, ctx);
    return;
  }
  emitStrings({";\n"}, ctx);
}

void writeMemberHead(const char* objectWord, const AstNode* owner, AstList* name, EmitContext* ctx) {
  if (owner != nullptr && isPackageNode(owner) && packageName(owner) != nullptr) {
    emitTokens(packageName(owner), "ALTER MODULE ", " ", ctx);
    emitStrings({owner->kind == astNodeCreatePkgHead ? "PUBLISH " : "ADD ", objectWord}, ctx);
    emitTokens(name, " ", "", ctx);
    return;
  }
  emitIndent(ctx);
  emitStrings({"CREATE ", objectWord, " "}, ctx);
  emitTokens(name, "", "", ctx);
}

void recordCurrentUserRights(const AstNode* node, const AstNode* at, const char* what, EmitContext* ctx) {
  if ((ctx->extensions & extendAuthid) == 0) {
    raiseUnsupported("AUTHID CURRENT_USER not supported", what, node, ctx->errors);
    return;
  }
  // The host's routines and modules have no invoker's rights: what is written carries no AUTHID, and
  // that runs with the rights of the one who creates it.
  recordNote(ctx->notes, noteWarning,
             "AUTHID CURRENT_USER dropped: runs with its definer's rights (names resolved and privileges "
             "checked as its creator's), not the caller's",
             at->line + 1, "AUTHID", extendAuthid);
}
