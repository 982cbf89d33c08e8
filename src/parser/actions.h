// actions.h - the helpers the grammar's actions call: each builds one node, list or text from the
// semantic values of a production and returns the value of its left-hand side.
// Each takes and returns the kind of value its symbols carry in the grammar's %union: a node, a list,
// an expression's text (ExprText), a line, a flag, or the token record (TokenValue) where a token's
// text, code or line is needed. Errors found here go on the chain (reportSyntaxError) and the parse
// goes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "ast/ast.h"
#include "grammar.hpp"
#include "lexer/lexer.h"

using Token = const TokenValue&;

// ---- value plumbing (decl_actions.cpp) ----

// A record with no pointer, code 0 and line -1: an absent part whose symbol carries a token record.
TokenValue noValue(ParseContext* ctx);
// An absent expression: no tokens, not bare.
ExprText noText(ParseContext* ctx);
// A flag or small number.
int32_t flagValue(ParseContext* ctx, int32_t flag);
// A token record with the flag in `code` and the line of `token`.
TokenValue flagAt(ParseContext* ctx, int32_t flag, Token token);
// No AUTHID clause: definer's rights (code 1), no line.
TokenValue definerRights(ParseContext* ctx);
// The scanner's current zero-based line.
int32_t lineValue(ParseContext* ctx);
// A one-item list of the node (a list is a node too); no list for no node.
AstList* startList(ParseContext* ctx, AstNode* item);
// Appends the node to the list; no node is skipped.
AstList* appendItem(ParseContext* ctx, AstList* list, AstNode* item);
// The two lists joined (the second's header is used up).
AstList* concatLists(ParseContext* ctx, AstList* first, AstList* second);
// A keyword standing as a name: a one-item list of a T_STRING token node with the keyword's text;
// keywordAsName gives it no line (-1), keywordAsLinedName the keyword's line.
AstList* keywordAsName(ParseContext* ctx, Token keyword);
AstList* keywordAsLinedName(ParseContext* ctx, Token keyword);
// T_DIGITS text with a leading "-".
TokenValue negativeDigits(ParseContext* ctx, Token digits);
// The comment a T_COMMENT_SEMI token carried, appended to a text list as a T_STRING token at its line.
AstList* appendComment(AstList* list, Token comment);
// The parser's stacks beyond their first 200 entries, in the compilation's pool.
void* parserStackAlloc(size_t size);
void parserStackFree(void* stack);

// ---- programs (decl_actions.cpp) ----

void setProgramRoot(ParseContext* ctx, AstList* programs);
// The program list; a program without a node (a "/" line, DROP FUNCTION, DROP PROCEDURE) is left out.
// A second program records "syntax error" at "<END-OF-STATEMENT>" unless the settings allow several
// programs: DROP FUNCTION and DROP PROCEDURE count as programs although they give no statement, a "/"
// line does not.
AstList* startPrograms(ParseContext* ctx, AstNode* program);
// DROP FUNCTION f, DROP PROCEDURE p: a program with no node, noted on the context so that the program
// list still counts it as one.
AstNode* droppedRoutine(ParseContext* ctx);
AstList* appendProgram(ParseContext* ctx, AstList* programs, AstNode* program);
AstNode* markAnonymousBlock(ParseContext* ctx, AstNode* block);
AstNode* finishCreateProc(ParseContext* ctx, AstNode* procedure, Token create, int32_t orReplace);
AstNode* finishCreateFunc(ParseContext* ctx, AstNode* function, Token create, int32_t orReplace);
AstNode* buildProcedure(ParseContext* ctx, Token keyword, AstList* name, AstList* arguments, Token authid,
                        int32_t readsSqlData, AstNode* body);
AstNode* buildFunction(ParseContext* ctx, Token keyword, AstList* name, AstList* arguments, AstList* returnType,
                       AstList* options, AstNode* body);
AstNode* buildProcProto(ParseContext* ctx, Token keyword, AstList* name, AstList* arguments);
AstNode* buildFuncProto(ParseContext* ctx, Token keyword, AstList* name, AstList* arguments, AstList* returnType,
                        AstList* options);
AstNode* buildDropPkgHead(ParseContext* ctx, Token drop, AstList* name, AstList* rest);
AstNode* buildDropPkgBody(ParseContext* ctx, Token drop, AstList* name);
AstNode* buildPkgHead(ParseContext* ctx, Token create, int32_t orReplace, AstList* name, Token authid,
                      AstList* members);
AstNode* buildPkgBody(ParseContext* ctx, Token create, int32_t orReplace, AstList* name, AstList* members);
// Function options: AUTHID gives CURRENT_USER or DEFINER, DETERMINISTIC, PIPELINED, ORDER gives ORDER_BY.
AstNode* authidOption(ParseContext* ctx, Token authid, int32_t line);
AstNode* functionOption(ParseContext* ctx, Token keyword, int code);

// ---- blocks (decl_actions.cpp) ----

// BEGIN nesting: past 512 records "Max nexting depth exceeded" (statement-too-big domain) once per
// excursion. Both give their token's line.
int32_t enterBlock(ParseContext* ctx, Token begin);
int32_t leaveBlock(ParseContext* ctx, Token end);
AstNode* buildProgramBody(ParseContext* ctx, AstList* declarations, int32_t beginLine, AstList* statements,
                          AstList* handlers);
AstNode* buildDeclareBlock(ParseContext* ctx, Token declare, AstList* declarations, AstList* statements,
                           AstList* handlers);
AstNode* buildBeginBlock(ParseContext* ctx, int32_t beginLine, AstList* statements, AstList* handlers);

// ---- declarations (decl_actions.cpp) ----

// A section's declarations are kept as three groups (types; variables and cursors; the rest), each in
// source order; finishDeclarations joins them into the section's list.
DeclGroups* startDeclarations(ParseContext* ctx, AstNode* declaration);
DeclGroups* addDeclaration(ParseContext* ctx, DeclGroups* groups, AstNode* declaration);
AstList* finishDeclarations(ParseContext* ctx, DeclGroups* groups);
// Records "Must specify a default value for CONSTANT declarations" for a CONSTANT without default.
AstNode* buildVarDecl(ParseContext* ctx, AstList* name, int32_t line, int32_t constant, AstList* datatype,
                      int32_t notNull, const ExprText& defaultValue);
AstNode* buildVarrayDecl(ParseContext* ctx, AstList* name, Token varray, Token limit, AstList* elementType);
int32_t beginCreateType(ParseContext* ctx, int32_t orReplace);
AstNode* buildCreateType(ParseContext* ctx, int32_t orReplace, int32_t line, AstNode* declaration);
AstNode* buildCreateObjectType(ParseContext* ctx, int32_t orReplace, int32_t line, AstList* name, AstList* fields);
AstNode* buildCreateTableType(ParseContext* ctx, int32_t orReplace, int32_t line, AstList* name, AstList* elementType);
AstNode* buildSubtype(ParseContext* ctx, int32_t line, AstList* name, AstList* datatype, AstList* range,
                      int32_t notNull);
// low .. high as one text list: low, a T_DOTDOT token, high. subtypeRange for RANGE low .. high.
AstList* buildRangeText(ParseContext* ctx, AstList* low, Token dotdot, AstList* high);
AstList* subtypeRange(ParseContext* ctx, const ExprText& low, Token dotdot, const ExprText& high);
AstNode* buildCursorDecl(ParseContext* ctx, AstList* name, int32_t line, AstList* query);
AstNode* buildCursorDeclWithArgs(ParseContext* ctx, AstList* name, int32_t line, AstList* arguments, AstList* query);
// The end of a cursor query: comments before ';' are no longer kept; the comment, if any, is appended.
AstList* finishCursorQuery(ParseContext* ctx, AstList* query);
AstList* finishCursorQueryWithComment(ParseContext* ctx, AstList* query, Token comment);
AstNode* buildRecordType(ParseContext* ctx, Token type, AstList* name, AstList* fields);
// Without INDEX BY the index type is INTEGER (code T_INDEX).
AstNode* buildTableType(ParseContext* ctx, Token type, AstList* name, AstList* elementType, AstList* indexType);
AstNode* buildRefCursorType(ParseContext* ctx, Token type, AstList* name);
AstNode* buildStrongRefCursorType(ParseContext* ctx, Token type, AstList* name, AstList* returnType);
AstNode* buildExceptionDecl(ParseContext* ctx, AstList* name, int32_t line);
// The error number as a 32-bit integer; out of range records "Integer overflow" and saturates.
AstNode* buildExceptionInit(ParseContext* ctx, Token pragma, AstList* name, Token number);
AstNode* buildSqlstateExceptionInit(ParseContext* ctx, Token pragma, AstList* name, Token sqlstate);
AstNode* buildAutonomousPragma(ParseContext* ctx, Token pragma);
// readDatatype after the type's first word; records "Missing data type" for nothing, and for a second
// %TYPE or %ROWTYPE "Syntax error - too many %TYPE or %ROWTYPE references" then "Invalid data type".
AstList* readDeclDatatype(ParseContext* ctx, TokenValue* slot, int* lookahead, AstList* typeName);
AstList* readFormalArgType(ParseContext* ctx, TokenValue* slot, int* lookahead, AstList* typeName);
// A formal argument's default up to ',' or ')'; nothing records "Missing default value".
AstList* readArgDefault(ParseContext* ctx, TokenValue* slot, int* lookahead);
AstNode* buildFormalArg(ParseContext* ctx, AstList* name, int32_t line, int32_t mode, AstList* datatype,
                        AstList* defaultValue);

// ---- triggers (decl_actions.cpp) ----

// Trigger events: the INSERT/UPDATE/DELETE bits in `code`, the last UPDATE OF column list in `list`.
TokenValue triggerEvent(ParseContext* ctx, int32_t bit, AstList* columns);
TokenValue addTriggerEvent(ParseContext* ctx, Token events, Token event);
AstNode* buildTriggerArg(ParseContext* ctx, TriggerRow which, AstList* alias);
// The parts of CREATE TRIGGER by name: the rule has fifteen symbols.
struct TriggerParts {
  TokenValue create;
  int32_t orReplace;
  AstList* name;
  int32_t timing;
  TokenValue events;
  AstList* table;
  AstList* referencing;
  int32_t forEachRow;
  AstList* follows;
  int32_t disabled;
  int32_t compound;
  AstList* condition;
  AstNode* body;
};
AstNode* buildTrigger(ParseContext* ctx, const TriggerParts& parts);

// ---- statements (stmt_actions.cpp) ----

// An empty statement part: one NULL statement at `line`.
AstList* emptyStatementPart(ParseContext* ctx, int32_t line);
// Stores the label (its parts joined by dots) on a statement node; traces "Parsed".
AstNode* labelStatement(ParseContext* ctx, AstList* label, AstNode* statement);
AstNode* buildAliasPragma(ParseContext* ctx, Token pragma, AstList* datatype, Token name);
AstNode* buildAssign(ParseContext* ctx, AstList* target, int32_t line, AstList* value);
// x(args)[.col] := value (then a ';' is pushed back for the statement) or a call p(args).
AstNode* buildIndexedStatement(ParseContext* ctx, AstList* name, int32_t line, AstList* arguments, AstList* field,
                               Token assignment);
// `:= value ;` in `list`, marked present in `code` even when its value came back empty.
TokenValue assignmentPart(ParseContext* ctx, AstList* value);
AstNode* buildSimpleCall(ParseContext* ctx, AstList* name, int32_t line);
AstNode* buildIf(ParseContext* ctx, Token keyword, AstList* condition, AstList* thenStatements, AstNode* elsifs,
                 AstList* elseStatements);
AstNode* buildElsif(ParseContext* ctx, Token keyword, AstList* condition, AstList* statements, AstNode* next);
AstNode* buildLoop(ParseContext* ctx, Token keyword, AstList* statements);
AstNode* buildWhile(ParseContext* ctx, Token keyword, AstList* condition, AstList* statements);
// FOR: the loop kind from the range's tokens; a `..` with an empty side records "expected loop limits".
AstNode* buildFor(ParseContext* ctx, Token keyword, AstList* variable, int32_t reverse, AstList* range, AstList* body);
AstNode* buildForallRange(ParseContext* ctx, Token keyword, AstList* variable, AstList* low, Token dotdot,
                          AstList* high, AstNode* body);
AstNode* buildForallCollection(ParseContext* ctx, Token keyword, AstList* variable, int32_t forKind,
                               AstList* collection, AstNode* body);
AstNode* buildFetch(ParseContext* ctx, Token keyword, AstList* cursor, int32_t bulkCollect, AstList* into,
                    const ExprText& limit);
AstNode* buildClose(ParseContext* ctx, Token keyword, AstList* cursor);
AstNode* buildPipe(ParseContext* ctx, Token keyword, AstList* value);
// OPEN c FOR: from here a comment before ';' stays with the query.
AstList* beginCursorFor(ParseContext* ctx, AstList* cursor);
AstNode* buildOpen(ParseContext* ctx, Token keyword, AstList* cursor);
AstNode* buildOpenWithArgs(ParseContext* ctx, Token keyword, AstList* cursor, AstList* arguments);
AstNode* buildOpenForSelect(ParseContext* ctx, Token keyword, AstList* cursor, AstNode* select);
AstNode* buildOpenForSelectWithComment(ParseContext* ctx, Token keyword, AstList* cursor, AstNode* select,
                                       Token comment);
AstNode* buildOpenForText(ParseContext* ctx, Token keyword, AstList* cursor, AstList* query, AstList* usingText);
AstNode* buildOpenForTextWithComment(ParseContext* ctx, Token keyword, AstList* cursor, AstList* query,
                                     AstList* usingText, Token comment);
AstNode* buildExit(ParseContext* ctx, Token keyword, AstList* target, AstList* condition);
AstNode* buildContinue(ParseContext* ctx, Token keyword, AstList* target, AstList* condition);
AstNode* buildGoto(ParseContext* ctx, Token keyword, AstList* label);
AstNode* buildNull(ParseContext* ctx, Token keyword);
AstNode* buildReturn(ParseContext* ctx, Token keyword, AstList* value);
AstNode* buildCase(ParseContext* ctx, Token keyword, const ExprText& selector, AstList* whenClauses,
                   AstNode* elseClause);
AstNode* buildSearchedCase(ParseContext* ctx, Token keyword, AstList* whenClauses, AstNode* elseClause);
AstNode* buildCaseWhen(ParseContext* ctx, Token keyword, AstList* condition, AstList* statements);
AstNode* buildCaseElse(ParseContext* ctx, Token keyword, AstList* statements);
AstNode* buildDynamic(ParseContext* ctx, Token keyword, AstList* statement, int32_t bulkCollect, AstList* into,
                      AstList* usingParams, AstList* returning);
AstNode* buildUsingParam(ParseContext* ctx, int32_t mode, int32_t line, AstList* value);
AstNode* buildRaise(ParseContext* ctx, Token keyword, AstList* name);
AstNode* buildReraise(ParseContext* ctx, Token keyword);
AstNode* buildSelect(ParseContext* ctx, AstList* cte, Token keyword, AstList* selectList, int32_t bulkCollect,
                     AstList* into, AstList* fromClause);
// After the select list: from here a comment before ';' stays with the query.
AstList* beginSelectRest(ParseContext* ctx, AstList* into);
// Records "Missing FROM clause" for nothing after FROM.
AstList* checkFromClause(ParseContext* ctx, AstList* rest);
AstNode* appendSelectComment(ParseContext* ctx, AstNode* select, Token comment);
// INSERT, UPDATE, DELETE, MERGE, LOCK, SAVEPOINT, TRUNCATE, ROLLBACK, COMMIT with the text after it.
AstNode* buildSqlStmt(ParseContext* ctx, Token keyword, int code, AstList* rest);
AstNode* buildStartTransaction(ParseContext* ctx, Token keyword);
// The end of an embedded SQL statement: comments before ';' are no longer kept.
AstNode* finishEmbeddedSql(ParseContext* ctx, AstNode* statement);
AstNode* finishSqlStmtWithComment(ParseContext* ctx, AstNode* statement, Token comment);
AstNode* buildHandler(ParseContext* ctx, Token keyword, AstList* conditions, AstList* statements);

// ---- readers (stmt_actions.cpp) ----
// Each runs one reader of the token stream with the parser's lookahead as its first token and leaves
// the parser without a lookahead. "Missing ..." is recorded for an empty result where noted.

AstList* readUntilSemi(ParseContext* ctx, TokenValue* slot, int* lookahead);           // Missing expression
AstList* readUntilSemiOrComment(ParseContext* ctx, TokenValue* slot, int* lookahead);  // Missing expression
AstList* readOptionalUntilSemi(ParseContext* ctx, TokenValue* slot, int* lookahead);
AstList* readUntilThen(ParseContext* ctx, TokenValue* slot, int* lookahead);    // Missing expression
AstList* readUntilSelect(ParseContext* ctx, TokenValue* slot, int* lookahead);  // Missing expression
AstList* readUntilUsing(ParseContext* ctx, TokenValue* slot, int* lookahead);   // Missing expression
// FOR range up to LOOP (consumed): Missing expression; not ended by LOOP: "Unexpected token".
AstList* readLoopRange(ParseContext* ctx, TokenValue* slot, int* lookahead);
AstList* readForallLowerBound(ParseContext* ctx, TokenValue* slot, int* lookahead);  // Missing expression
AstList* readForallUpperBound(ParseContext* ctx, TokenValue* slot, int* lookahead);  // Missing expression
AstList* readImmediateText(ParseContext* ctx, TokenValue* slot, int* lookahead);     // Missing statement
AstList* readDynamicInto(ParseContext* ctx, TokenValue* slot, int* lookahead);       // Missing statement
AstList* readFetchInto(ParseContext* ctx, TokenValue* slot, int* lookahead);         // Missing statement
AstList* readUsingValue(ParseContext* ctx, TokenValue* slot, int* lookahead);        // Missing expression
AstList* readReturnClause(ParseContext* ctx, TokenValue* slot, int* lookahead);      // Missing expression
AstList* readSelectList(ParseContext* ctx, TokenValue* slot, int* lookahead);        // Missing SELECT expression
AstList* readSelectInto(ParseContext* ctx, TokenValue* slot, int* lookahead);        // Missing INTO clause
AstList* readUntilRparen(ParseContext* ctx, TokenValue* slot, int* lookahead);
AstList* readArgumentRest(ParseContext* ctx, TokenValue* slot, int* lookahead);

// ---- expression text (expr_actions.cpp) ----
// An expression is an ExprText: its token list, and `bare` set when the text is a plain value (name,
// call, CURRENT_DATE, CURRENT_TIMESTAMP, SQL%FOUND, SQL%NOTFOUND) rather than a predicate. A condition
// is a plain token list.

// A bare value gets " = TRUE" appended, so that BOOLEAN variables become predicates.
AstList* finishCondition(ParseContext* ctx, const ExprText& expression, int32_t line);
TokenNode* logicalOperator(ParseContext* ctx, Token keyword, int code);
ExprText joinLogical(ParseContext* ctx, const ExprText& left, TokenNode* op, const ExprText& right);
ExprText negateCondition(ParseContext* ctx, Token keyword, const ExprText& operand);
ExprText buildComparison(ParseContext* ctx, const ExprText& left, Token op, const ExprText& right);
ExprText buildLike(ParseContext* ctx, const ExprText& left, int32_t negated, Token keyword, const ExprText& pattern,
                   const ExprText& escape);
ExprText escapeText(ParseContext* ctx, Token keyword, const ExprText& value);
ExprText buildIsNull(ParseContext* ctx, const ExprText& left, Token keyword, int32_t negated);
ExprText buildBetween(ParseContext* ctx, const ExprText& left, int32_t negated, Token keyword, const ExprText& low,
                      Token andKeyword, const ExprText& high);
// "(" takes the line of IN (a character token carries no line of its own), ")" the line after ')'.
ExprText buildInList(ParseContext* ctx, const ExprText& left, int32_t negated, Token keyword, const ExprText& arguments,
                     int32_t closeLine);
ExprText appendArgument(ParseContext* ctx, const ExprText& arguments, Token comma, const ExprText& argument);
ExprText namedArgument(ParseContext* ctx, Token argName, const ExprText& expression);
// The two texts one after the other; the first one's bare flag is kept. argumentText appends what the
// reader took after an argument's expression.
ExprText concatText(ParseContext* ctx, const ExprText& first, const ExprText& second);
ExprText argumentText(ParseContext* ctx, const ExprText& expression, AstList* rest);
TokenNode* signText(ParseContext* ctx, Token sign);
TokenNode* operatorText(ParseContext* ctx, Token op, int code);
TokenNode* characterOperator(ParseContext* ctx, char op, int32_t line);
ExprText joinBinary(ParseContext* ctx, const ExprText& left, TokenNode* op, const ExprText& right);
// A sign before a bare number becomes part of the literal (-5); otherwise a separate token.
ExprText applySign(ParseContext* ctx, TokenNode* sign, const ExprText& operand);
ExprText parenthesize(ParseContext* ctx, int32_t openLine, const ExprText& expression, int32_t closeLine);
// A name as a value; a first part SQLCODE, SQLSTATE or SQLERRM takes that keyword's code.
ExprText nameValue(ParseContext* ctx, AstList* name);
ExprText currentValue(ParseContext* ctx, Token keyword, int which);
ExprText plainText(ParseContext* ctx, AstList* tokens);
ExprText castText(ParseContext* ctx, Token keyword, const ExprText& expression, Token asKeyword, AstList* datatype,
                  int32_t closeLine);
ExprText fieldOfCall(ParseContext* ctx, const ExprText& call, int32_t line, AstList* field);
// CASE selector WHEN ... END; searchedCaseText without a selector.
ExprText caseText(ParseContext* ctx, Token keyword, const ExprText& selector, const ExprText& branches,
                  const ExprText& elseValue, Token end);
ExprText searchedCaseText(ParseContext* ctx, Token keyword, const ExprText& branches, const ExprText& elseValue,
                          Token end);
// WHEN value THEN value; conditionThenText for WHEN condition THEN value.
ExprText whenThenText(ParseContext* ctx, Token when, const ExprText& value, Token then, const ExprText& result);
ExprText conditionThenText(ParseContext* ctx, Token when, AstList* condition, Token then, const ExprText& result);
ExprText elseText(ParseContext* ctx, Token keyword, const ExprText& value);
ExprText existsText(ParseContext* ctx, Token keyword, const ExprText& subSelect);
ExprText literalText(ParseContext* ctx, Token literal, int code);
ExprText sqlAttributeText(ParseContext* ctx, AstList* pieces, int code);
ExprText triggerPredicateText(ParseContext* ctx, Token keyword, int code);
ExprText callText(ParseContext* ctx, AstList* name, int32_t openLine, const ExprText& arguments, int32_t closeLine);
ExprText xmlCallText(ParseContext* ctx, Token keyword, int code, int32_t openLine, AstList* tokens, int32_t closeLine);
ExprText subSelectText(ParseContext* ctx, Token keyword, AstList* tokens, int32_t closeLine);

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
int readLookahead(YYSTYPE* value, ParseContext* ctx);

// ---- the grammar's tables (grammar.y), for tests and tools ----

// The number of rules, the augmented start rule 0 included.
int grammarRuleCount();
// The name of the symbol rule `rule` reduces to, or null out of range.
const char* grammarRuleLhs(int rule);
// Whether the parser may hold a lookahead when it reduces by `rule` (see grammar.y).
int grammarRuleReadsAhead(int rule);
