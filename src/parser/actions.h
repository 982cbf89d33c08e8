// actions.h - the helpers the grammar's actions call: each builds one node, list or text list from the
// semantic values of a production and returns the value of its left-hand side.
// Every value is a TokenValue: a node or list in `node`/`list`, a flag or small number in `code`, a
// line in `line`. Errors found here go on the chain (reportSyntaxError) and the parse goes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "ast/ast.h"
#include "grammar.hpp"
#include "lexer/lexer.h"

using Value = TokenValue;

// Every pointer a value carries lives in one slot of the union, whatever it points at (a node, a
// list, a string): the grammar knows which each symbol holds, and the helpers read it back as that.
inline void* pointerOf(const Value& value) { return static_cast<void*>(value.list); }
template <typename T>
T* valueAs(const Value& value) {
  return static_cast<T*>(pointerOf(value));
}
inline AstList* listOf(const Value& value) { return value.list; }
inline Value pointerValue(void* pointer, int32_t code, int32_t line) {
  Value value{};
  value.list = static_cast<AstList*>(pointer);
  value.code = code;
  value.line = line;
  return value;
}
inline Value listValue(AstList* list, int32_t code = 0) { return pointerValue(list, code, -1); }
inline Value nodeValue(AstNode* node) { return pointerValue(node, 0, node == nullptr ? -1 : node->line); }

// ---- value plumbing (decl_actions.cpp) ----

// A value with no node, no list, code 0 and line -1: what a production without a result passes on.
Value noValue(ParseContext* ctx);
// A flag or small number in `code` (line -1); flagAt takes the line of `token`.
Value flagValue(ParseContext* ctx, int32_t flag);
Value flagAt(ParseContext* ctx, int32_t flag, const Value& token);
// The scanner's current zero-based line in `line` and `code`.
Value lineValue(ParseContext* ctx);
// A one-item list of the value's node (or list); no list for a value without one.
Value startList(ParseContext* ctx, const Value& item);
// Appends the item's node to the list; an item without a node is skipped.
Value appendItem(ParseContext* ctx, const Value& list, const Value& item);
// The two lists joined (the second's header is used up).
Value concatLists(ParseContext* ctx, const Value& first, const Value& second);
// A keyword standing as a name: a one-item list of a T_STRING token node with the keyword's text;
// keywordAsName gives it no line (-1), keywordAsLinedName the keyword's line.
Value keywordAsName(ParseContext* ctx, const Value& keyword);
Value keywordAsLinedName(ParseContext* ctx, const Value& keyword);
// T_DIGITS text with a leading "-".
Value negativeDigits(ParseContext* ctx, const Value& digits);
// The comment a T_COMMENT_SEMI token carried, appended to a text list as a T_STRING token at its line.
AstList* appendComment(AstList* list, const Value& comment);
// The parser's stacks beyond their first 200 entries, in the compilation's pool.
void* parserStackAlloc(size_t size);
void parserStackFree(void* stack);

// ---- programs (decl_actions.cpp) ----

void setProgramRoot(ParseContext* ctx, const Value& programs);
// The program list; a program without a node (a "/" line, DROP FUNCTION, DROP PROCEDURE) is left out.
// A second program records "syntax error" at "<END-OF-STATEMENT>" unless the settings allow several
// programs: DROP FUNCTION and DROP PROCEDURE count as programs although they give no statement, a "/"
// line does not.
Value startPrograms(ParseContext* ctx, const Value& program);
// DROP FUNCTION f, DROP PROCEDURE p: a program with no node, marked so that it still counts as one.
Value droppedRoutine(ParseContext* ctx);
Value appendProgram(ParseContext* ctx, const Value& programs, const Value& program);
Value markAnonymousBlock(ParseContext* ctx, const Value& block);
Value finishCreateProc(ParseContext* ctx, const Value& procedure, const Value& create, const Value& orReplace);
Value finishCreateFunc(ParseContext* ctx, const Value& function, const Value& create, const Value& orReplace);
Value buildProcedure(ParseContext* ctx, const Value& keyword, const Value& name, const Value& arguments,
                     const Value& authid, const Value& readsSqlData, const Value& body);
Value buildFunction(ParseContext* ctx, const Value& keyword, const Value& name, const Value& arguments,
                    const Value& returnType, const Value& options, const Value& body);
Value buildProcProto(ParseContext* ctx, const Value& keyword, const Value& name, const Value& arguments);
Value buildFuncProto(ParseContext* ctx, const Value& keyword, const Value& name, const Value& arguments,
                     const Value& returnType, const Value& options);
Value buildDropPkgHead(ParseContext* ctx, const Value& drop, const Value& name, const Value& rest);
Value buildDropPkgBody(ParseContext* ctx, const Value& drop, const Value& name);
Value buildPkgHead(ParseContext* ctx, const Value& create, const Value& orReplace, const Value& name,
                   const Value& authid, const Value& members);
Value buildPkgBody(ParseContext* ctx, const Value& create, const Value& orReplace, const Value& name,
                   const Value& members);
// Function options: AUTHID gives CURRENT_USER or DEFINER, DETERMINISTIC, PIPELINED, ORDER gives ORDER_BY.
Value authidOption(ParseContext* ctx, const Value& authid, const Value& line);
Value functionOption(ParseContext* ctx, const Value& keyword, int code);

// ---- blocks (decl_actions.cpp) ----

// BEGIN nesting: past 512 records "Max nexting depth exceeded" (statement-too-big domain) once per
// excursion. Both pass on their token's line.
Value enterBlock(ParseContext* ctx, const Value& begin);
Value leaveBlock(ParseContext* ctx, const Value& end);
Value buildProgramBody(ParseContext* ctx, const Value& declarations, const Value& begin, const Value& statements,
                       const Value& handlers);
Value buildDeclareBlock(ParseContext* ctx, const Value& declare, const Value& declarations, const Value& statements,
                        const Value& handlers);
Value buildBeginBlock(ParseContext* ctx, const Value& begin, const Value& statements, const Value& handlers);

// ---- declarations (decl_actions.cpp) ----

// A section's declarations are kept as three groups (types; variables and cursors; the rest), each in
// source order; finishDeclarations joins them into the section's list.
Value startDeclarations(ParseContext* ctx, const Value& declaration);
Value addDeclaration(ParseContext* ctx, const Value& groups, const Value& declaration);
Value finishDeclarations(ParseContext* ctx, const Value& groups);
// Records "Must specify a default value for CONSTANT declarations" for a CONSTANT without default.
Value buildVarDecl(ParseContext* ctx, const Value& name, const Value& line, const Value& constant,
                   const Value& datatype, const Value& notNull, const Value& defaultValue);
Value buildVarrayDecl(ParseContext* ctx, const Value& name, const Value& varray, const Value& limit,
                      const Value& elementType);
Value beginCreateType(ParseContext* ctx, const Value& orReplace);
Value buildCreateType(ParseContext* ctx, const Value& orReplace, const Value& line, const Value& declaration);
Value buildCreateObjectType(ParseContext* ctx, const Value& orReplace, const Value& line, const Value& name,
                            const Value& fields);
Value buildCreateTableType(ParseContext* ctx, const Value& orReplace, const Value& line, const Value& name,
                           const Value& elementType);
Value buildSubtype(ParseContext* ctx, const Value& line, const Value& name, const Value& datatype, const Value& range,
                   const Value& notNull);
// RANGE low .. high as one text list: low, a T_DOTDOT token, high.
Value buildRangeText(ParseContext* ctx, const Value& low, const Value& dotdot, const Value& high);
Value buildCursorDecl(ParseContext* ctx, const Value& name, const Value& line, const Value& query);
Value buildCursorDeclWithArgs(ParseContext* ctx, const Value& name, const Value& line, const Value& arguments,
                              const Value& query);
// The end of a cursor query: comments before ';' are no longer kept; the comment, if any, is appended.
Value finishCursorQuery(ParseContext* ctx, const Value& query);
Value finishCursorQueryWithComment(ParseContext* ctx, const Value& query, const Value& comment);
Value buildRecordType(ParseContext* ctx, const Value& type, const Value& name, const Value& fields);
// Without INDEX BY the index type is INTEGER (code T_INDEX).
Value buildTableType(ParseContext* ctx, const Value& type, const Value& name, const Value& elementType,
                     const Value& indexType);
Value buildRefCursorType(ParseContext* ctx, const Value& type, const Value& name);
Value buildStrongRefCursorType(ParseContext* ctx, const Value& type, const Value& name, const Value& returnType);
Value buildExceptionDecl(ParseContext* ctx, const Value& name, const Value& line);
// The error number as a 32-bit integer; out of range records "Integer overflow" and saturates.
Value buildExceptionInit(ParseContext* ctx, const Value& pragma, const Value& name, const Value& number);
Value buildSqlstateExceptionInit(ParseContext* ctx, const Value& pragma, const Value& name, const Value& sqlstate);
Value buildAutonomousPragma(ParseContext* ctx, const Value& pragma);
// readDatatype after the type's first word; records "Missing data type" for nothing, and for a second
// %TYPE or %ROWTYPE "Syntax error - too many %TYPE or %ROWTYPE references" then "Invalid data type".
Value readDeclDatatype(ParseContext* ctx, TokenValue* slot, int* lookahead, const Value& typeName);
Value readFormalArgType(ParseContext* ctx, TokenValue* slot, int* lookahead, const Value& typeName);
// A formal argument's default up to ',' or ')'; nothing records "Missing default value".
Value readArgDefault(ParseContext* ctx, TokenValue* slot, int* lookahead);
Value buildFormalArg(ParseContext* ctx, const Value& name, const Value& line, const Value& mode, const Value& datatype,
                     const Value& defaultValue);

// ---- triggers (decl_actions.cpp) ----

// Trigger events: the INSERT/UPDATE/DELETE bits in `code`, the last UPDATE OF column list in `list`.
Value triggerEvent(ParseContext* ctx, int32_t bit, const Value& columns);
Value addTriggerEvent(ParseContext* ctx, const Value& events, const Value& event);
Value buildTriggerArg(ParseContext* ctx, TriggerRow which, const Value& alias);
// The parts of CREATE TRIGGER by name: the rule has fifteen symbols.
struct TriggerParts {
  Value create, orReplace, name, timing, events, table, referencing, forEachRow, follows, disabled, compound, condition,
      body;
};
Value buildTrigger(ParseContext* ctx, const TriggerParts& parts);

// ---- statements (stmt_actions.cpp) ----

// An empty statement part: one NULL statement at `line`.
Value emptyStatementPart(ParseContext* ctx, const Value& line);
// Stores the label (its parts joined by dots) on a statement node; traces "Parsed".
Value labelStatement(ParseContext* ctx, const Value& label, const Value& statement);
Value buildAliasPragma(ParseContext* ctx, const Value& pragma, const Value& datatype, const Value& name);
Value buildAssign(ParseContext* ctx, const Value& target, const Value& line, const Value& value);
// x(args)[.col] := value (then a ';' is pushed back for the statement) or a call p(args).
Value buildIndexedStatement(ParseContext* ctx, const Value& name, const Value& line, const Value& arguments,
                            const Value& field, const Value& assignment);
// Marks `:= value ;` as present even when its value came back empty.
Value assignmentPart(ParseContext* ctx, const Value& value);
Value buildSimpleCall(ParseContext* ctx, const Value& name, const Value& line);
Value buildIf(ParseContext* ctx, const Value& keyword, const Value& condition, const Value& thenStatements,
              const Value& elsifs, const Value& elseStatements);
Value buildElsif(ParseContext* ctx, const Value& keyword, const Value& condition, const Value& statements,
                 const Value& next);
Value buildLoop(ParseContext* ctx, const Value& keyword, const Value& statements);
Value buildWhile(ParseContext* ctx, const Value& keyword, const Value& condition, const Value& statements);
// FOR: the loop kind from the range's tokens; a `..` with an empty side records "expected loop limits".
Value buildFor(ParseContext* ctx, const Value& keyword, const Value& variable, const Value& reverse, const Value& range,
               const Value& body);
Value buildForallRange(ParseContext* ctx, const Value& keyword, const Value& variable, const Value& low,
                       const Value& dotdot, const Value& high, const Value& body);
Value buildForallCollection(ParseContext* ctx, const Value& keyword, const Value& variable, const Value& forKind,
                            const Value& collection, const Value& body);
Value buildFetch(ParseContext* ctx, const Value& keyword, const Value& cursor, const Value& bulkCollect,
                 const Value& into, const Value& limit);
Value buildClose(ParseContext* ctx, const Value& keyword, const Value& cursor);
Value buildPipe(ParseContext* ctx, const Value& keyword, const Value& value);
// OPEN c FOR: from here a comment before ';' stays with the query.
Value beginCursorFor(ParseContext* ctx, const Value& cursor);
Value buildOpen(ParseContext* ctx, const Value& keyword, const Value& cursor);
Value buildOpenWithArgs(ParseContext* ctx, const Value& keyword, const Value& cursor, const Value& arguments);
Value buildOpenForSelect(ParseContext* ctx, const Value& keyword, const Value& cursor, const Value& select);
Value buildOpenForSelectWithComment(ParseContext* ctx, const Value& keyword, const Value& cursor, const Value& select,
                                    const Value& comment);
Value buildOpenForText(ParseContext* ctx, const Value& keyword, const Value& cursor, const Value& query,
                       const Value& usingText);
Value buildOpenForTextWithComment(ParseContext* ctx, const Value& keyword, const Value& cursor, const Value& query,
                                  const Value& usingText, const Value& comment);
Value buildExit(ParseContext* ctx, const Value& keyword, const Value& target, const Value& condition);
Value buildContinue(ParseContext* ctx, const Value& keyword, const Value& target, const Value& condition);
Value buildGoto(ParseContext* ctx, const Value& keyword, const Value& label);
Value buildNull(ParseContext* ctx, const Value& keyword);
Value buildReturn(ParseContext* ctx, const Value& keyword, const Value& value);
Value buildCase(ParseContext* ctx, const Value& keyword, const Value& selector, const Value& whenClauses,
                const Value& elseClause);
Value buildSearchedCase(ParseContext* ctx, const Value& keyword, const Value& whenClauses, const Value& elseClause);
Value buildCaseWhen(ParseContext* ctx, const Value& keyword, const Value& condition, const Value& statements);
Value buildCaseElse(ParseContext* ctx, const Value& keyword, const Value& statements);
Value buildDynamic(ParseContext* ctx, const Value& keyword, const Value& statement, const Value& bulkCollect,
                   const Value& into, const Value& usingParams, const Value& returning);
Value buildUsingParam(ParseContext* ctx, const Value& mode, const Value& line, const Value& value);
Value buildRaise(ParseContext* ctx, const Value& keyword, const Value& name);
Value buildReraise(ParseContext* ctx, const Value& keyword);
Value buildSelect(ParseContext* ctx, const Value& cte, const Value& keyword, const Value& selectList,
                  const Value& bulkCollect, const Value& into, const Value& fromClause);
// After the select list: from here a comment before ';' stays with the query.
Value beginSelectRest(ParseContext* ctx, const Value& into);
// Records "Missing FROM clause" for nothing after FROM.
Value checkFromClause(ParseContext* ctx, const Value& rest);
Value appendSelectComment(ParseContext* ctx, const Value& select, const Value& comment);
// INSERT, UPDATE, DELETE, MERGE, LOCK, SAVEPOINT, TRUNCATE, ROLLBACK, COMMIT with the text after it.
Value buildSqlStmt(ParseContext* ctx, const Value& keyword, int code, const Value& rest);
Value buildStartTransaction(ParseContext* ctx, const Value& keyword);
// The end of an embedded SQL statement: comments before ';' are no longer kept.
Value finishEmbeddedSql(ParseContext* ctx, const Value& statement);
Value finishSqlStmtWithComment(ParseContext* ctx, const Value& statement, const Value& comment);
Value buildHandler(ParseContext* ctx, const Value& keyword, const Value& conditions, const Value& statements);

// ---- readers (stmt_actions.cpp) ----
// Each runs one reader of the token stream with the parser's lookahead as its first token and leaves
// the parser without a lookahead. "Missing ..." is recorded for an empty result where noted.

Value readUntilSemi(ParseContext* ctx, TokenValue* slot, int* lookahead);           // Missing expression
Value readUntilSemiOrComment(ParseContext* ctx, TokenValue* slot, int* lookahead);  // Missing expression
Value readOptionalUntilSemi(ParseContext* ctx, TokenValue* slot, int* lookahead);
Value readUntilThen(ParseContext* ctx, TokenValue* slot, int* lookahead);    // Missing expression
Value readUntilSelect(ParseContext* ctx, TokenValue* slot, int* lookahead);  // Missing expression
Value readUntilUsing(ParseContext* ctx, TokenValue* slot, int* lookahead);   // Missing expression
// FOR range up to LOOP (consumed): Missing expression; not ended by LOOP: "Unexpected token".
Value readLoopRange(ParseContext* ctx, TokenValue* slot, int* lookahead);
Value readForallLowerBound(ParseContext* ctx, TokenValue* slot, int* lookahead);  // Missing expression
Value readForallUpperBound(ParseContext* ctx, TokenValue* slot, int* lookahead);  // Missing expression
Value readImmediateText(ParseContext* ctx, TokenValue* slot, int* lookahead);     // Missing statement
Value readDynamicInto(ParseContext* ctx, TokenValue* slot, int* lookahead);       // Missing statement
Value readFetchInto(ParseContext* ctx, TokenValue* slot, int* lookahead);         // Missing statement
Value readUsingValue(ParseContext* ctx, TokenValue* slot, int* lookahead);        // Missing expression
Value readReturnClause(ParseContext* ctx, TokenValue* slot, int* lookahead);      // Missing expression
Value readSelectList(ParseContext* ctx, TokenValue* slot, int* lookahead);        // Missing SELECT expression
Value readSelectInto(ParseContext* ctx, TokenValue* slot, int* lookahead);        // Missing INTO clause
Value readUntilRparen(ParseContext* ctx, TokenValue* slot, int* lookahead);
Value readArgumentRest(ParseContext* ctx, TokenValue* slot, int* lookahead);

// ---- expression text (expr_actions.cpp) ----
// A text list is a token list in `list` with the bareValue flag in `code`: set when the text is a plain
// value (name, call, CURRENT_DATE, CURRENT_TIMESTAMP, SQL%FOUND, SQL%NOTFOUND) rather than a predicate.

// A bare value gets " = TRUE" appended, so that BOOLEAN variables become predicates.
Value finishCondition(ParseContext* ctx, const Value& expression, const Value& line);
Value logicalOperator(ParseContext* ctx, const Value& keyword, int code);
Value joinLogical(ParseContext* ctx, const Value& left, const Value& op, const Value& right);
Value negateCondition(ParseContext* ctx, const Value& keyword, const Value& operand);
Value buildComparison(ParseContext* ctx, const Value& left, const Value& op, const Value& right);
Value buildLike(ParseContext* ctx, const Value& left, const Value& negated, const Value& keyword, const Value& pattern,
                const Value& escape);
Value escapeText(ParseContext* ctx, const Value& keyword, const Value& value);
Value buildIsNull(ParseContext* ctx, const Value& left, const Value& keyword, const Value& negated);
Value buildBetween(ParseContext* ctx, const Value& left, const Value& negated, const Value& keyword, const Value& low,
                   const Value& andKeyword, const Value& high);
// "(" takes the line of IN (a character token carries no line of its own), ")" the line after ')'.
Value buildInList(ParseContext* ctx, const Value& left, const Value& negated, const Value& keyword,
                  const Value& arguments, const Value& closeLine);
Value appendArgument(ParseContext* ctx, const Value& arguments, const Value& comma, const Value& argument);
Value namedArgument(ParseContext* ctx, const Value& argName, const Value& expression);
// The two texts one after the other; the first one's bareValue flag is kept.
Value concatText(ParseContext* ctx, const Value& first, const Value& second);
Value signText(ParseContext* ctx, const Value& sign);
Value operatorText(ParseContext* ctx, const Value& op, int code);
Value characterOperator(ParseContext* ctx, char op, const Value& line);
Value joinBinary(ParseContext* ctx, const Value& left, const Value& op, const Value& right);
// A sign before a bare number becomes part of the literal (-5); otherwise a separate token.
Value applySign(ParseContext* ctx, const Value& sign, const Value& operand);
Value parenthesize(ParseContext* ctx, const Value& open, const Value& expression, const Value& close);
// A name as a value; a first part SQLCODE, SQLSTATE or SQLERRM takes that keyword's code.
Value nameValue(ParseContext* ctx, const Value& name);
Value currentValue(ParseContext* ctx, const Value& keyword, int which);
Value plainText(ParseContext* ctx, const Value& tokens);
Value castText(ParseContext* ctx, const Value& keyword, const Value& expression, const Value& asKeyword,
               const Value& datatype, const Value& closeLine);
Value fieldOfCall(ParseContext* ctx, const Value& call, const Value& line, const Value& field);
Value caseText(ParseContext* ctx, const Value& keyword, const Value& selector, const Value& branches,
               const Value& elseValue, const Value& end);
Value whenThenText(ParseContext* ctx, const Value& when, const Value& condition, const Value& then, const Value& value);
Value elseText(ParseContext* ctx, const Value& keyword, const Value& value);
Value existsText(ParseContext* ctx, const Value& keyword, const Value& subSelect);
Value literalText(ParseContext* ctx, const Value& literal, int code);
Value sqlAttributeText(ParseContext* ctx, const Value& pieces, int code);
Value triggerPredicateText(ParseContext* ctx, const Value& keyword, int code);
Value callText(ParseContext* ctx, const Value& name, const Value& openLine, const Value& arguments,
               const Value& closeLine);
Value xmlCallText(ParseContext* ctx, const Value& keyword, int code, const Value& openLine, const Value& tokens,
                  const Value& closeLine);
Value subSelectText(ParseContext* ctx, const Value& keyword, const Value& tokens, const Value& closeLine);

// ---- syntax errors (syntax_errors.cpp) ----

// The messages the readers record when a clause they must read is empty; each text is spelled here once.
inline constexpr char missingExpression[] = "Missing expression";
inline constexpr char missingStatement[] = "Missing statement";
inline constexpr char missingDatatype[] = "Missing data type";

// A syntax-domain record at the scanner's position: its line, last token text and source line, with
// the expected-token list of the parser's current state in `extra` (null without a parser state).
void reportSyntaxError(ParseContext* ctx, const char* message);
// The parser's own syntax error: "syntax error, unexpected X" with X the lookahead's grammar name, then
// ", expecting A or B ..." when the state in which the lookahead was read accepts one to four tokens
// (nothing more with five or more); just "syntax error" without a lookahead. `extra` lists the tokens
// of that same state.
void reportParserSyntaxError(ParseContext* ctx, const char* unexpectedName);
// The same with `extra` = a copy of extraText when given, else the expected-token list.
void reportSyntaxErrorWithText(ParseContext* ctx, const char* message, const char* extraText);
// The same at an explicit zero-based line.
void reportSyntaxErrorAtLine(ParseContext* ctx, const char* message, int32_t line);
// The same with explicit zero-based line and domain; extraText or else the expected-token list.
void reportErrorInDomain(ParseContext* ctx, const char* message, int32_t line, uint32_t domain, const char* extraText);
// The expected-token list of the parser's current state: up to ten names in token-number order, T_
// prefixes dropped, character tokens quoted, others in angle brackets; a pool string, "" when none,
// null without a parser state. The ParseContext's expectedTokens hook.
const char* expectedTokenList(ParseContext* ctx);
// From the grammar's tables: the names of up to `max` terminals with an action in `state`, in token
// order, without the error token. Returns how many were stored.
int expectedTerminalNames(int state, const char** names, int max);
// Whether `state` has an action of its own for token `code`, in the sense of expectedTerminalNames.
int grammarStateReads(int state, int code);
// The generator's message name of a grammar symbol: $end and $undefined for the two internal ones.
// Writes it to `out` when not null; returns its length either way.
std::ptrdiff_t grammarNameForMessage(char* out, const char* name);

// ---- the parser's position (syntax_errors.cpp, grammar.y) ----

// What ParseContext::parserState points at while a parse runs: yyparse's current state, and the
// state it was in when it read its lookahead token. After reading it the parser may take default
// reductions before it finds that no action exists; the error belongs to the state it read it in.
struct ParserPosition {
  const int* state;
  int lookaheadState;
};
static_assert(std::is_trivially_destructible_v<ParserPosition>);

// A pool record tracking `state` (yyparse's own), with no lookahead read yet.
ParserPosition* newParserPosition(const int* state);
// The token stream's next token, noting the parser's state first. The generated parser's yylex. With
// the nested-functions extension, FUNCTION read where only a declaration (not a package member) can
// start comes back as T_NESTED_FUNCTION.
int readLookahead(TokenValue* value, ParseContext* ctx);

// ---- the grammar's tables (grammar.y), for tests and tools ----

// The number of rules, the augmented start rule 0 included.
int grammarRuleCount();
// The name of the symbol rule `rule` reduces to, or null out of range.
const char* grammarRuleLhs(int rule);
// Whether the parser may hold a lookahead when it reduces by `rule` (see grammar.y).
int grammarRuleReadsAhead(int rule);
