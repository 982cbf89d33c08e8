// errors.h - the error record every stage appends to when the input has a problem, and the two static
// records that stand for failures with no memory left. Records live in the compilation's pool.
// Part of diag/ (see diag.h); may use pool/ and ast/.
#pragma once

#include <cstdint>

struct AstNode;

enum ErrorDomain : uint32_t {
  syntax = 0,
  lexical = 1,
  unsupportedFeature = 2,
  internalError = 3,
  outOfMemory = 4,
  statementTooBig = 5,
};

struct CompileError {
  CompileError* next;
  const char* message;
  uint32_t domain;       // an ErrorDomain value
  int32_t line;          // 1-based source line, -1 when unknown
  const char* nearText;  // the source line (scanner, parser) or the node's token text, or null
  const char* detail;    // the token text (scanner, parser) or the feature's text, or null
  const char* extra;     // the expected-token list or "<END-OF-STATEMENT>" (parser), or null
  // Kept on the head only: a record at or before the chain's end, so that appending does not walk the
  // whole chain each time (a long line of bad tokens makes thousands of records).
  CompileError* tailHint;
  // 1-based column on `line` where the token named by `detail` begins, 0 when unknown (records not
  // made at the scanner's position, a token that began on an earlier line, the end of the input).
  int32_t column;
};

// Static, never chained, never freed.
extern const CompileError oomError;
extern const CompileError internalErrorRecord;

// "syntax", "lexical", "unsupportedFeature", "internalError"; "unknown error domain" for anything else.
const char* errorDomainName(uint32_t domain);
// errorDomainName, plus "outOfMemory" and "statementTooBig": the names tools show for every domain.
const char* errorDomainKey(uint32_t domain);

// Links `error` (its next cleared) at the end of the chain, or makes it the head.
void appendError(CompileError** chain, CompileError* error);

// A new pool record with the given fields (texts copied into the pool, null stays null), appended.
CompileError* recordError(CompileError** chain, const char* message, uint32_t domain, int32_t line,
                          const char* nearText, const char* detail, const char* extra);

// The message of every syntax-domain record, the parser's and the transformer's alike.
inline constexpr char syntaxErrorMessage[] = "syntax error";
// The statement-too-big record of a program nested deeper than the compiler takes (the parser's BEGIN
// limit) or than the calling thread's stack lets it walk.
inline constexpr char maxNestingMessage[] = "Max nexting depth exceeded";

// syntaxErrorMessage in the syntax domain with pool copies of the three texts.
void raiseSyntaxError(int32_t line, const char* detail, const char* nearText, const char* extra, CompileError** chain);

// An unsupported feature at `node`: line = node's line + 1, nearText = the node's text when it is a
// token node. `node` may be null (line -1).
void raiseUnsupported(const char* message, const char* detail, const AstNode* node, CompileError** chain);

// A statement-too-big record (a nesting or routine limit) with the given 1-based line.
void raiseStatementTooBig(const char* message, int32_t line, CompileError** chain);

// ---- notes ----

// What a compilation with extensions accepted beyond the language, or changed from what it would
// otherwise write, is kept on a chain of its own: notes never decide an outcome. A note is a
// CompileError record whose domain says how a tool shows it.
enum NoteKind : uint32_t {
  noteWarning = 0,  // the translation may behave differently from the source: say so
  noteRemark = 1,   // the translation is faithful, but goes beyond the language
};

// A note of `kind` at the 1-based `line` (-1 unknown), naming the construct in `detail` and the
// extension that accepted it in `extra`. Null, and nothing recorded, when `notes` is null (a compilation
// without extensions keeps none).
CompileError* recordNote(CompileError** notes, NoteKind kind, const char* message, int32_t line, const char* detail,
                         uint32_t extension);
