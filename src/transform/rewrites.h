// rewrites.h - the hand-off points where the walk gives a construct with no direct host equivalent to
// the rewrite that turns it into host forms. Each is called once the node's parent link is set; one that
// returns a node hands back the replacement (the walk stores and visits it), null meaning "write the
// node as it is". A hand-off whose rewrite is not built yet visits the node's children as plain nodes and
// records an unsupported feature wherever writing the node as parsed would lose or garble its text.
// Private to transform/.
#pragma once

#include <initializer_list>

#include "ast/ast.h"
#include "transform/transform_context.h"

// ---- building blocks every rewrite uses (tree_building.cpp) ----

// A T_STRING token (literal host text, written as it stands) with a pool copy of `text`.
TokenNode* hostText(const char* text, int32_t line);
// One T_STRING token per text, in order.
AstList* hostTexts(std::initializer_list<const char*> texts, int32_t line);

// A name split at the dots that stand outside double quotes (a backslash takes the next character as it
// is). `parts` are pool copies; `afterFirstDot` points into the text after the first such dot (null with
// one part). A null text gives no parts.
struct QualifiedName {
  uint32_t count;
  const char** parts;
  const char* afterFirstDot;
};
QualifiedName splitQualifiedName(const char* text);
// The offset of the last dot outside double quotes, or -1.
int64_t lastSeparatingDot(const char* text);

// The last block met going up from `node` (itself included): the block that holds the flags of the
// attribute prescan and declares the implicit variables. Null outside every block.
BlockNode* outermostBlockOf(AstNode* node);

// A reference qualified by the name of an enclosing procedure, function or trigger (`p.x` inside p)
// names something of that routine's body: the routine name becomes the body's label. A reference whose
// second part is one of the routine's parameters, or that no enclosing routine's name begins, is returned
// as it is.
const char* requalifyByRoutine(const AstNode* from, const char* text);

// Puts `items` (null ones skipped) in order directly after `statement` in the statement list that holds
// it, and links them to it. Nothing happens when the statement is not in a list.
void insertStatementsAfter(TransformContext* ctx, AstNode* statement, std::initializer_list<AstNode*> items);

// A generated plain variable declaration; token lists are used as given, the default may be null.
VarDeclNode* makeVariable(AstList* names, AstList* datatype, AstList* defaultValue, int32_t line);

// Generated statements; token lists are used as given.
AssignNode* makeAssign(AstList* target, AstList* value, int32_t line);
SignalNode* makeSignal(const char* sqlstate, AstList* message, int32_t line);
SignalNode* makeResignal(int32_t line);
// IF condition THEN statement END IF.
IfNode* makeIf(AstList* condition, AstNode* statement, int32_t line);
// EXIT WHEN condition, its target resolved when the walk visits it.
ExitNode* makeExitWhen(AstList* condition, int32_t line);
// FETCH cursorName BULK COLLECT INTO into, generated, its parent link set to `parent`.
FetchNode* makeBulkFetch(const char* cursorName, AstList* into, AstNode* parent, int32_t line);
// GET DIAGNOSTICS [EXCEPTION 1] target = item.
GetDiagNode* makeGetDiag(DiagKind kind, const char* target, const char* item, int32_t line);

// After a statement that changes rows (or a SELECT INTO, an OPEN, a dynamic statement), when the
// outermost block reads SQL% attributes: GET DIAGNOSTICS into SYSKELINTERNAL_ROWCOUNT, then, when
// `saveSqlcode`, SYSKELINTERNAL_SQLCODE := SQLCODE (as a one-statement list; the variable is declared on
// the statement's outermost block), then SYSKELINTERNAL_NOTFOUND and SYSKELINTERNAL_FOUND from the count
// when `outer` reads them.
void captureRowCount(TransformContext* ctx, AstNode* statement, BlockNode* outer, bool saveSqlcode);

// ---- exceptions and condition handling (exceptions.cpp) ----

// A declared exception, after its name list is visited, comes into scope for the handlers and
// EXCEPTION_INIT bindings that follow it. An EXCEPTION_INIT binds the plain exception of the same name
// in its own declaration section (declared before or after the pragma) to SQLSTATEs: the SQLSTATE-string form to the
// five characters between the quotes, the numeric form to ORANF (100), UD000..UD999 (-20000..-20999) or the SQLSTATEs
// of every map row with that Oracle code. A missing exception, a malformed SQLSTATE string, a code outside -1000000..0,
// -1403 or a code no row carries is recorded as a syntax error near "pragma exception_init"; the exception then keeps
// no SQLSTATE.
void rewriteExceptionDecl(ExceptionDeclNode* exception, TransformContext* ctx);
// The exceptions of a declaration section go out of scope: called when the walk leaves the block or
// package that owns `declarations`.
void closeExceptionScope(const AstList* declarations, TransformContext* ctx);
// A handler after its conditions were visited and before its statements are wrapped into a block: the
// outermost block declares SQLSTATE and SQLCODE; OTHERS becomes SQLEXCEPTION, a predefined name (also
// as STANDARD.name) its SQLSTATE, an exception bound to several SQLSTATEs the list of them. Any other
// name stays, for a declared host condition or for the host to resolve.
void rewriteHandler(HandlerNode* handler, TransformContext* ctx);
// RAISE: a bare RAISE gets no SQLSTATE (RESIGNAL); a predefined name gets its SQLSTATE; a user
// exception is signalled by its name.
void rewriteRaise(RaiseNode* raise, TransformContext* ctx);
// SELECT INTO, its children visited here: followed by SIGNAL of NO_DATA_FOUND when SQLCODE is 100 (the
// copy saved by the ROW_COUNT capture, which comes first, when the routine reads SQL% attributes).
// BULK COLLECT selects go to rewriteBulkSelect, whose result is returned.
AstNode* rewriteSelect(SelectNode* select, TransformContext* ctx);
// Runs over a routine body or an anonymous block once everything in it has been transformed: each
// handler block without init statements gets, when the routine reads them, GET DIAGNOSTICS of the
// message and then VALUES SQLCODE, SQLSTATE into the saved copies. `handlersBefore` is the count of
// handlers transformed when the body's transformation began: when no handler was transformed since,
// the body holds none and is not searched.
void captureDiagnostics(BlockNode* body, uint32_t handlersBefore, TransformContext* ctx);

// ---- cursors and cursor attributes (cursors.cpp) ----

// OPEN: its operands visited; OPEN ... FOR a query gets the cursor assignment (cursor := the select) as
// its replacement; OPEN ... FOR a statement text also a generated PREPARE that the assignment's
// CURSOR WITH HOLD FOR names. The ROW_COUNT capture follows when the routine reads SQL% attributes.
void rewriteOpen(OpenNode* open, TransformContext* ctx);
// INSERT, UPDATE and DELETE lose their RETURNING clause to `returning`; row-changing statements are
// followed by the ROW_COUNT capture when needed; the statement records its outermost scope (null at the
// top level, where it is a program of its own).
void rewriteSqlStmt(SqlStmtNode* sql, TransformContext* ctx);
// Cursor attributes become host predicates or CURSOR_ROWCOUNT; :NEW, :OLD and REFERENCING aliases in a
// trigger become the generated transition-row names (adding the REFERENCING entry a row trigger lacks);
// SQLCODE and SQLSTATE declare the host's variables; other qualified names go to requalifyByRoutine.
void rewriteToken(TokenNode* token, TransformContext* ctx);
// FOR over a declared cursor or over a query: a block that opens the cursor and fetches in a LOOP whose
// source loop is the FOR, so EXIT and CONTINUE, labelled or not, reach the generated loop.
AstNode* rewriteCursorFor(ForNode* loop, TransformContext* ctx);

// ---- collections and bulk operations (numeric_for.cpp, collections.cpp) ----

// Numeric FOR and FORALL lo .. hi (numeric_for.cpp): a block that declares the loop variable and the
// limit, both bounds evaluated once, around a WHILE whose continue target is the increment. A bound
// that is a number too large for INTEGER is recorded as a syntax error; the rewrite goes on.
AstNode* rewriteNumericFor(ForNode* loop, TransformContext* ctx);
// FORALL ... INDICES OF / VALUES OF (collections.cpp): a block around a WHILE that steps through the
// collection's existing indices; the collection is visited here, before its text is used.
AstNode* rewriteForallOverCollection(ForNode* loop, TransformContext* ctx);
// Collection methods called as statements (c.DELETE, c.TRIM, c.EXTEND): host array built-ins and
// subscripted assignments. Other calls get no replacement.
AstNode* rewriteCollectionCall(CallNode* call, TransformContext* ctx);
// FETCH ... BULK COLLECT INTO: a block whose loop fetches row k into element k. The block is
// transformed here, so the walk stores it without visiting it again.
AstNode* rewriteBulkFetch(FetchNode* fetch, TransformContext* ctx);
// SELECT ... BULK COLLECT INTO, its children already visited by the SELECT rewrite: a generated cursor
// over the query and the bulk fetch loop over it, transformed here.
AstNode* rewriteBulkSelect(SelectNode* select, TransformContext* ctx);

// FORALL ... SAVE EXCEPTIONS and INDICES OF c BETWEEN lo AND hi have no host form: recorded at the
// loop, naming the first token it cannot take, instead of being written into its bounds.
void recordForallOption(ForNode* loop, const char* tokenText, TransformContext* ctx);
// INDICES OF or VALUES OF a subscripted collection (c(1)): there is no array the loop can walk by name.
inline constexpr char subscriptedForallMessage[] =
    "FORALL over INDICES OF or VALUES OF a subscripted collection not supported";

// ---- dynamic SQL and restricted calls (dynamic_sql.cpp) ----

// EXECUTE IMMEDIATE, its children visited here. With binds: a block that prepares and executes the
// text (or opens a cursor over it for BULK COLLECT), transformed here, so the walk does not visit it.
AstNode* rewriteDynamic(DynamicNode* dynamic, TransformContext* ctx);
// An assignment from a package function the host offers only as a procedure.
AstNode* rewriteRestrictedCall(AssignNode* assign, TransformContext* ctx);

// ---- the walk's own jobs, one file each ----

// A block (blocks.cpp): the attribute prescan, then its declarations, handlers and statements, the
// implicit variables its flags ask for and, for a top-level block, the diagnostics capture.
void transformBlock(BlockNode* block, TransformContext* ctx);

// Routines (routines.cpp): the body labelled, the parts visited, the diagnostics captured.
void transformProcedure(CreateProcNode* procedure, TransformContext* ctx);
void transformFunction(CreateFuncNode* function, TransformContext* ctx);
void transformTrigger(CreateTriggerNode* trigger, TransformContext* ctx);

// Declarations (declarations.cpp): the visitors of the declaration kinds and of PRAGMA.
void visitVarDecl(AstNode* node, TransformContext* ctx);
void visitCursorDecl(AstNode* node, TransformContext* ctx);
void visitRecordDecl(AstNode* node, TransformContext* ctx);
void visitTableDecl(AstNode* node, TransformContext* ctx);
void visitRefCursorDecl(AstNode* node, TransformContext* ctx);
void visitVarrayDecl(AstNode* node, TransformContext* ctx);
void visitSubtype(AstNode* node, TransformContext* ctx);
void visitExceptionDecl(AstNode* node, TransformContext* ctx);
void transformPragma(PragmaNode* pragma, TransformContext* ctx);

// EXIT and CONTINUE (loops.cpp): the target loop found and labelled.
void transformExit(ExitNode* exit, TransformContext* ctx);
void transformContinue(ContinueNode* next, TransformContext* ctx);

// An exception handler (exceptions.cpp): its conditions rewritten and its statements made one block.
void transformHandler(HandlerNode* handler, TransformContext* ctx);

// ---- the nested-functions extension (nested_functions.cpp) ----

// Before the walk: each FUNCTION declared in a declaration section of a routine or trigger becomes a
// program of its own just before that routine (a private member just before it in a package body), named
// "<routine>_<function>", and every call to it in the declaring block is renamed, with a note. One that
// reads a parameter or declaration of an enclosing routine, or sits in an anonymous block, is refused as
// an unsupported feature naming why, and dropped from its section either way.
void hoistNestedFunctions(AstList* root, TransformContext* ctx);
// Puts `item` in `list` just before the item `before` (pointer equality); nothing when it is not there.
void insertItemBefore(AstList* list, void* item, const void* before);

// ---- the autonomous-functions extension (autonomous_functions.cpp) ----

// Before the walk: each function of the request or of a package body whose declarations hold PRAGMA
// AUTONOMOUS_TRANSACTION becomes the procedure "<function>_AUTONOMOUS" (its parameters, then OUT
// SYSKELINTERNAL_RESULT; its body, each RETURN x turned into the result's assignment and RETURN),
// written just before it, and the function calls it and returns the result. A warning says so.
void splitAutonomousFunctions(AstList* root, TransformContext* ctx);

// ---- the save-exceptions extension (save_exceptions.cpp) ----

// The SQLSTATE of the bulk-errors condition (the source's ORA-24381): in the user-defined class, beside
// the UD states of the application-error range.
extern const char* const bulkErrorsSqlstate;
// Drops SAVE EXCEPTIONS from the end of a FORALL's bound or collection tokens; true when it was there.
bool takeSaveExceptions(AstList** tokens);
// What goes around the FORALL's loop: the failure count reset before it, the signal after it.
struct SavedFailures {
  AstNode* reset;
  AstNode* signalIfAny;
};
// Wraps the FORALL's body into a block whose OTHERS handler records the index and SQLCODE, declares the
// arrays on the routine's outermost block (once), rewrites every SQL%BULK_EXCEPTIONS read there (a form
// other than .COUNT and (i).ERROR_INDEX / ERROR_CODE is refused), and warns on the loop.
SavedFailures saveExceptions(ForNode* loop, TransformContext* ctx);
