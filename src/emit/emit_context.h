// emit_context.h - what every writer of the emitter shares: the run's context, the chunked text buffer
// in which one statement is assembled, the three ways text is written and the cut into result entries.
// Private to emit/; the driver sees only emit.h.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <type_traits>

#include "ast/ast.h"
#include "diag/errors.h"
#include "xcomp2.h"

// One piece of a statement's text. Its `capacity` bytes follow the record directly, not NUL-terminated;
// chunks are pool memory and are kept for reuse when the buffer is reset.
struct TextChunk {
  TextChunk* next;
  uint64_t capacity;
  uint64_t used;

  char* data() { return reinterpret_cast<char*>(this + 1); }
  const char* data() const { return reinterpret_cast<const char*>(this + 1); }
};

// Text appended so far, never moved once written. Later chunks are a tenth of the first one's size.
// Chunks are carved in order from larger pool blocks: a long statement needs tens of thousands of small
// chunks, and a pool block each would cost more in block headers than the text itself.
struct TextBuffer {
  TextChunk* first;  // null until something was appended
  TextChunk* current;
  uint64_t chunkSize;
  char* spare;  // the uncarved rest of the block chunks are carved from
  uint64_t spareSize;
  uint64_t nextBlockSize;  // the next carving block's size; doubles up to a limit
  uint64_t length;         // the bytes appended since the buffer was made or last reset
};

struct EmitContext {
  XcompResult* resultHead;
  XcompResult* resultTail;
  TextBuffer* buffer;
  const char* terminator;  // written after the last END (or a DROP) of each top-level statement
  bool trackLines;
  AstNode* root;
  int64_t indent;  // open nesting levels (NestedLevel); the output indents one level (two spaces) when any is open
  CompileError** errors;
  uint32_t outputLine;   // the source line (1-based) the next output line stands for
  uint32_t extensions;   // the settings' Extension bits
  CompileError** notes;  // where accepted extensions are noted; null keeps none
};

static_assert(std::is_trivially_destructible_v<TextChunk>, "TextChunk lives in the pool");
static_assert(std::is_trivially_destructible_v<TextBuffer>, "TextBuffer lives in the pool");
static_assert(std::is_trivially_destructible_v<EmitContext>, "EmitContext holds only pool pointers");

// ---- text buffer (text_buffer.cpp) ----

// An empty buffer; chunkSize 0 means 1024. Later chunks get chunkSize / 10 bytes, so it must be >= 10.
TextBuffer* newTextBuffer(uint64_t chunkSize);
// Appends the bytes of `text`; a null buffer, null or empty text appends nothing. Fills the current
// chunk, then any chunk left over from before a reset, then new chunks of chunkSize / 10.
void textAppend(TextBuffer* buffer, const char* text);
// textAppend of the first n bytes of `text`, for a caller that already knows its length.
void textAppendBytes(TextBuffer* buffer, const char* text, uint64_t n);
uint64_t textLength(const TextBuffer* buffer);
// Copies every chunk's used bytes in order into `destination` and NUL-terminates it; the destination
// needs textLength + 1 bytes.
void textCopyTo(char* destination, const TextBuffer* buffer);
// Empties the buffer but keeps its chunks: `used` goes to 0 and writing restarts in the first chunk.
void textReset(TextBuffer* buffer);

// ---- writing (sqlexc_ast_emit.cpp) ----

// Builds the context from the settings and writes every program of `root`; the first result or null.
// `emitHandle` is accepted for the host's sake; nothing depends on it.
// `extensions` and `notes` are the settings' Extension bits and the chain their notes go to (may be null).
XcompResult* emitProgram(AstNode* root, void* emitHandle, const char* terminator, bool trackLines,
                         CompileError** errors, uint32_t extensions = 0, CompileError** notes = nullptr);
// AUTHID CURRENT_USER on `node` (a routine or package head; `what` its CREATE words for the record):
// unsupported, or with the authid extension accepted with a warning naming the rights it runs with, at
// the line of `at` (the option's own token where there is one, else the node).
void recordCurrentUserRights(const AstNode* node, const AstNode* at, const char* what, EmitContext* ctx);
// Writes one node through the dispatch table; null writes nothing, and so do kinds without a writer.
void emitNode(AstNode* node, EmitContext* ctx);
// Appends each string in order, stopping at the first null, counting newlines into outputLine.
void emitStrings(std::initializer_list<const char*> strings, EmitContext* ctx);
// prefix, the token texts joined by single blanks (none before "(", ")" or ",", none after "("),
// suffix. Null prefix or suffix is skipped; a null list writes prefix and suffix only. Nothing written
// inside is indented.
void emitTokens(AstList* list, const char* prefix, const char* suffix, EmitContext* ctx);
// The "--#line" marker when the output has drifted from the node's source line (line markers only).
void emitLineMarker(int32_t line, EmitContext* ctx);
// The indentation: two spaces when indent is not 0, else nothing.
void emitIndent(EmitContext* ctx);
// One nesting level for as long as it lives: what is written inside it is indented.
class NestedLevel {
 public:
  explicit NestedLevel(EmitContext* ctx) : ctx_(ctx) { ++ctx_->indent; }
  ~NestedLevel() { --ctx_->indent; }
  NestedLevel(const NestedLevel&) = delete;
  NestedLevel& operator=(const NestedLevel&) = delete;

 private:
  EmitContext* ctx_;
};
// Line marker, indentation, then "label: " for a labelled statement node.
void beginStatement(AstNode* node, EmitContext* ctx);
// Cuts the buffer into a new result entry with `domain`; nothing when the buffer is empty. Resets the
// buffer and sets outputLine to 0 so the next entry opens with a line marker.
void finishStatement(StatementDomain domain, EmitContext* ctx);
// Indentation, "CREATE [OR REPLACE] ", objectWord, " ", the name tokens.
void writeCreateHead(const char* objectWord, AstList* name, bool orReplace, EmitContext* ctx);
// The head of a module member: "ALTER MODULE p PUBLISH|ADD <objectWord> <name>" for a package owner,
// otherwise the indentation and "CREATE <objectWord> <name>".
void writeMemberHead(const char* objectWord, const AstNode* owner, AstList* name, EmitContext* ctx);
// "ALTER MODULE p PUBLISH <what> " in a package head, "... ADD <what> " in a body.
void emitModuleHead(const AstNode* package, const char* what, EmitContext* ctx);
// The end of a declaration: in a package or CREATE TYPE it is a statement of its own (terminator,
// newline, cut with `domain`); in a block (or with no owner) ";\n" and the block's text goes on.
void endDeclaration(const AstNode* owner, StatementDomain domain, EmitContext* ctx);

// ---- writers reached from the dispatch table ----

// Routines and blocks (routines.cpp).
void emitBlock(AstNode* node, EmitContext* ctx);
void emitProcedure(AstNode* node, EmitContext* ctx);
void emitFunction(AstNode* node, EmitContext* ctx);
void emitProcPrototype(AstNode* node, EmitContext* ctx);
void emitFuncPrototype(AstNode* node, EmitContext* ctx);
void emitFormalArg(AstNode* node, EmitContext* ctx);
// "(", each parameter on its own line with ", " between them, ")"; nothing for a null list.
void emitParamList(AstList* arguments, EmitContext* ctx);
// A %TYPE / %ROWTYPE anchor as "ANCHOR TO [ROW] " and the anchored name, otherwise the tokens.
void emitDatatype(AstList* tokens, EmitContext* ctx);
// One declaration where it stands (declarations.cpp). In a block: DECLARE ... ending ";\n". In a
// package: an ALTER MODULE ... PUBLISH (head) or ADD (body) statement cut with its domain (VARIABLE for
// variables and cursors, TYPE, CONDITION). A REF CURSOR type outside a package and an exception bound by
// EXCEPTION_INIT write nothing; record, table, varray and subtype declarations go to
// emitTypeDeclaration.
void emitDeclaration(AstNode* decl, EmitContext* ctx);

// Type declarations (types.cpp). Each writer starts after the statement start (line marker,
// indentation) and writes the head for its container: "DECLARE TYPE t" in a block, "ALTER MODULE p
// PUBLISH|ADD TYPE t" in a package head or body, nothing in CREATE TYPE (whose writer wrote
// "CREATE [OR REPLACE] TYPE t"); then the definition and the end of the declaration.
// RECORD: AS ROW and one field per line between parentheses (field defaults were refused earlier).
void emitRecordType(AstNode* decl, const AstNode* container, EmitContext* ctx);
// TABLE OF: AS <element> ARRAY[<index>]; without INDEX BY the index type is INTEGER.
void emitTableType(AstNode* decl, const AstNode* container, EmitContext* ctx);
// VARRAY(n): AS <element> ARRAY[n].
void emitVarrayType(AstNode* decl, const AstNode* container, EmitContext* ctx);
// SUBTYPE: AS <base> WITH WEAK TYPE RULES [NOT NULL] [CHECK (VALUE >= lo AND VALUE <= hi) ].
void emitSubtype(AstNode* decl, const AstNode* container, EmitContext* ctx);
// One of the four above by the declaration's class; `owner` is the declaration's container.
void emitTypeDeclaration(AstNode* decl, const AstNode* owner, EmitContext* ctx);
// CREATE [OR REPLACE] TYPE for AS OBJECT (a row type), AS TABLE OF (ARRAY[INTEGER]) and VARRAY: one
// result entry of domain SQLEXC_TYPE.
void emitCreateType(AstNode* node, EmitContext* ctx);
// A subtype reached through the dispatch: its container is found through the parent links.
void emitSubtypeNode(AstNode* node, EmitContext* ctx);

// Packages (packages.cpp). A package head: CREATE [OR REPLACE] MODULE, then one ALTER MODULE ...
// PUBLISH per declaration and prototype, each its own result entry; AUTHID CURRENT_USER is recorded
// after they are written. A package body: ALTER MODULE ... DROP BODY (OR REPLACE only), COMMENT ON
// MODULE, one ALTER MODULE ... ADD per declaration, prototype and routine, and SYS_INIT last, every
// member indented one level.
void emitPackageHead(AstNode* node, EmitContext* ctx);
void emitPackageBody(AstNode* node, EmitContext* ctx);

// Triggers (triggers.cpp): CREATE [OR REPLACE] TRIGGER with its clauses in the host's order, blank
// lines that bring the body towards its source line, and the body; one SQLEXC_TRIGGER entry. A
// compound trigger (or FOR timing) is recorded as unsupported and written anyway.
void emitTrigger(AstNode* node, EmitContext* ctx);

// Procedural statements (statements.cpp).
void emitAssign(AstNode* node, EmitContext* ctx);
void emitIf(AstNode* node, EmitContext* ctx);
void emitElseIf(AstNode* node, EmitContext* ctx);
void emitCase(AstNode* node, EmitContext* ctx);
void emitCaseExpr(AstNode* node, EmitContext* ctx);
void emitLoop(AstNode* node, EmitContext* ctx);
void emitWhile(AstNode* node, EmitContext* ctx);
void emitFor(AstNode* node, EmitContext* ctx);
void emitExit(AstNode* node, EmitContext* ctx);
void emitContinue(AstNode* node, EmitContext* ctx);
void emitGoto(AstNode* node, EmitContext* ctx);
void emitNull(AstNode* node, EmitContext* ctx);
void emitReturn(AstNode* node, EmitContext* ctx);
void emitPipe(AstNode* node, EmitContext* ctx);
void emitClose(AstNode* node, EmitContext* ctx);
void emitSelect(AstNode* node, EmitContext* ctx);
void emitFetch(AstNode* node, EmitContext* ctx);
void emitOpen(AstNode* node, EmitContext* ctx);
void emitDynamic(AstNode* node, EmitContext* ctx);
void emitPrepare(AstNode* node, EmitContext* ctx);
void emitExecute(AstNode* node, EmitContext* ctx);
void emitCall(AstNode* node, EmitContext* ctx);
void emitGetDiag(AstNode* node, EmitContext* ctx);
void emitRaise(AstNode* node, EmitContext* ctx);
void emitSignal(AstNode* node, EmitContext* ctx);
void emitValues(AstNode* node, EmitContext* ctx);
void emitHandler(AstNode* node, EmitContext* ctx);
void emitSqlStmt(AstNode* node, EmitContext* ctx);
