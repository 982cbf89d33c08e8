// ast.h - the syntax tree: one record per node kind behind a common header, the list that holds every
// sequence (statements, declarations, token lists), the list operations and the generic pre-order walk.
// Owns nothing: all nodes and cells are pool memory. May use pool/ and host/.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>

enum AstNodeKind : uint32_t {
#define NODE_KIND(number, enumerator, name, isStatement, families) enumerator = number,
#include "ast/node_kinds.def"
#undef NODE_KIND
};

constexpr uint32_t astNodeKindCount = 0
#define NODE_KIND(number, enumerator, name, isStatement, families) +1
#include "ast/node_kinds.def"
#undef NODE_KIND
    ;

// A table indexed by kind, each entry entryFor(kind): the stages' dispatch tables, built at compile time.
template <typename EntryFor>
constexpr auto kindTable(EntryFor entryFor) {
  std::array<decltype(entryFor(AstNodeKind{})), astNodeKindCount> table{};
  for (uint32_t kind = 0; kind < astNodeKindCount; ++kind) table[kind] = entryFor(static_cast<AstNodeKind>(kind));
  return table;
}

// The groups of kinds the stages test by (the last column of node_kinds.def); a kind may be in several.
enum KindFamily : uint32_t {
  kindNoFamily = 0,
  kindLoop = 1,             // EXIT and CONTINUE look for these
  kindRoutine = 2,          // CREATE FUNCTION, PROCEDURE, TRIGGER
  kindPackage = 4,          // package head and body
  kindDeclaration = 8,      // what a declaration section holds (declClass is their first own field)
  kindTypeDeclaration = 16  // the declarations that name a type
};

// ---- the small code sets the tree carries ----

// What a declaration node declares; also tells the declaration kinds apart.
enum DeclClass : uint32_t {
  declVariable = 0,
  declCursor = 1,
  declRecord = 2,
  declTable = 3,
  declRefCursor = 4,
  declVarray = 5,
  declSubtype = 6,
  declException = 7,
  declExceptionInit = 8,  // PRAGMA EXCEPTION_INIT binding an exception to an error code or SQLSTATEs
};

// The shapes of FOR and FORALL, set by the parser.
enum ForKind : uint32_t {
  forNumeric = 1,       // FOR i IN lo .. hi
  forCursor = 2,        // FOR r IN cur(args)
  forQuery = 3,         // FOR r IN (SELECT ...)
  forallRange = 4,      // FORALL i IN lo .. hi
  forallIndicesOf = 5,  // FORALL i IN INDICES OF c
  forallValuesOf = 6,   // FORALL i IN VALUES OF c
};

// A formal argument's or USING argument's direction.
enum ArgMode : uint32_t { argIn = 0, argOut = 1, argInOut = 2 };

enum TriggerTiming : uint32_t { timingBefore = 0, timingAfter = 1, timingFor = 2, timingInsteadOf = 3 };

// Bits of a trigger's `events`.
enum TriggerEvent : uint32_t { eventInsert = 1, eventUpdate = 2, eventDelete = 4 };

// A REFERENCING entry's row image; also the index of the trigger's slot for it.
enum TriggerRow : uint32_t { rowNew = 0, rowOld = 1, rowParent = 2, triggerRowCount = 3 };

// GET DIAGNOSTICS forms: statement information, or condition information (EXCEPTION 1).
enum DiagKind : uint32_t { diagStatement = 1, diagCondition = 2 };

enum HandlerKind : uint32_t { handlerExit = 0, handlerContinue = 1 };

// The common header. `line` is zero-based; -1 for nodes made without a source position.
struct AstNode {
  uint32_t kind;
  int32_t line;
  AstNode* parent;  // set by the transformer's walk
};

struct AstListCell {
  void* item;  // a node, or a string in the few lists of names
  AstListCell* next;
};

// kind astNodeList, line -1. Never empty when built by the list operations.
struct AstList : AstNode {
  uint32_t count;
  // A hint left by whoever filled the list: every item is a token the transformer's prescan of
  // diagnostics names passes by. Every list operation that links cells into the list clears it, so it
  // never outlives the list as its maker knew it.
  uint8_t plainTokens;
  AstListCell* head;
  AstListCell* tail;
};

// The node records. node_fields.def lists each kind's fields again, with what each holds, its walk rank
// and its printed name: walkTree, the tree printer and the transformer's plain visit expand from it, so a
// field added to a record is added there too.

// ---- statements: the first own field is always the statement's label (or null) ----

struct StatementNode : AstNode {
  const char* label;
};

struct AssignNode : StatementNode {
  AstList* target;       // tokens
  AstList* targetField;  // record column after a subscript
  AstList* targetIndex;  // subscript arguments
  AstList* value;
  AstNode* replacement;
};

struct BlockNode : StatementNode {
  AstList* declarations;
  AstList* initStatements;
  AstList* statements;
  AstList* handlers;  // HandlerNode items
  uint32_t maxNameLength;
  uint8_t isAnonymous;  // the block is itself a program
  uint8_t prescanned;
  uint8_t needsRowCount;
  uint8_t needsFound;
  uint8_t needsNotFound;
  uint8_t usesSqlcode;
  uint8_t usesSqlstate;
  uint8_t usesSqlerrm;
  uint8_t usesSqlerrmOutside;
  uint8_t isRoutineBody;
  uint8_t isOutermost;
  uint8_t hasDiagnostics;
  uint8_t prescanRecorded;    // an enclosing block's prescan noted what this block's own would find
  uint32_t implicitDeclared;  // bit per ImplicitVariable the transformer made sure this block declares
  uint32_t prescanWalk;       // the prescan that last noted it
  struct PrescanRecord* prescanRecords;
};

struct CallNode : StatementNode {
  AstList* name;
  AstList* arguments;
  AstNode* replacement;
};

struct CaseExprNode : AstNode {
  AstList* condition;  // null for ELSE
  AstList* statements;
};

struct CaseNode : StatementNode {
  AstList* selector;  // null for a searched CASE
  AstList* whenClauses;
  CaseExprNode* elseClause;
};

struct CloseNode : StatementNode {
  AstList* cursor;
};

struct PipeNode : StatementNode {
  AstList* value;
};

struct ContinueNode : StatementNode {
  AstList* condition;  // WHEN
  const char* target;  // label text, or null; resolved by the transformer
  AstNode* loopTarget;
};

struct ExitNode : StatementNode {
  AstList* condition;
  const char* target;
  AstNode* loopTarget;
};

struct DynamicNode : StatementNode {
  AstList* statement;  // the EXECUTE IMMEDIATE text
  AstList* into;
  AstList* using_;  // UsingParam items
  AstList* returning;
  AstNode* replacement;
  AstList* inputs;   // generated: the IN and IN OUT binds, comma-separated
  AstList* outputs;  // generated: INTO targets, OUT and IN OUT binds, RETURNING targets
  uint8_t bulkCollect;
  uint8_t hasBinds;  // generated: INTO, USING or RETURNING present
};

struct FetchNode : StatementNode {
  AstList* cursor;
  AstList* into;
  uint8_t bulkCollect;
  AstList* limit;
  uint8_t generated;
  AstNode* replacement;
};

struct ForNode : StatementNode {
  AstList* loopVariable;
  AstNode* continueTarget;
  AstNode* sourceLoop;
  ForKind forKind;
  AstList* range;
  AstList* body;
  uint8_t reverse;
  AstNode* replacement;
};

struct GotoNode : StatementNode {
  AstList* target;
};

struct IfNode;
struct ElseIfNode : AstNode {
  AstList* condition;
  AstList* statements;
  ElseIfNode* next;
};

struct IfNode : StatementNode {
  AstList* condition;
  AstList* thenStatements;
  ElseIfNode* elsifs;
  AstList* elseStatements;
};

struct LoopNode : StatementNode {
  AstList* statements;
  AstNode* continueTarget;
  AstNode* sourceLoop;
};

struct WhileNode : StatementNode {
  AstList* statements;
  AstNode* continueTarget;
  AstNode* sourceLoop;
  AstList* condition;
};

struct NullNode : StatementNode {
  const char* comment;
};

struct OpenNode : StatementNode {
  AstList* cursor;
  AstNode* query;  // the OPEN ... FOR operand: an astNodeSelect, or a token list for a text operand
  AstList* arguments;
  AstNode* prepare;  // generated PREPARE
  AstList* using_;
  AstNode* replacement;
  AstList* tail;  // what follows the cursor name and its arguments, written after them as it stands
};

struct RaiseNode : StatementNode {
  AstList* exceptionName;  // null for a bare RAISE
  const char* sqlstate;
  uint8_t isPredefined;
};

struct ReturnNode : StatementNode {
  AstList* value;
};

struct SelectNode : StatementNode {
  AstList* selectList;
  AstList* into;
  AstList* fromClause;
  AstList* cte;
  uint8_t bulkCollect;
  AstNode* generated;
};

struct SqlStmtNode : StatementNode {
  const char* verb;
  uint32_t verbCode;
  AstList* rest;
  AstList* returning;  // generated
  AstNode* scope;      // generated: the enclosing scope
};

struct ValuesNode : StatementNode {
  AstList* expressions;
  AstList* into;
};

struct SignalNode : StatementNode {
  uint8_t isResignal;
  const char* sqlstate;
  AstList* message;
};

struct PrepareNode : StatementNode {
  const char* statementName;
  const char* sourceText;  // a variable name, or null
  AstList* source;
};

struct ExecuteNode : StatementNode {
  const char* statementName;
  AstList* into;
  AstList* using_;
};

struct GetDiagNode : StatementNode {
  DiagKind diagKind;
  AstList* target;
  AstList* item;
};

// ---- programs ----

struct CreateFuncNode : AstNode {
  AstList* name;
  uint8_t orReplace;
  AstNode* body;
  AstList* options;
  AstList* arguments;  // FormalArgNode items
  AstList* returnType;
  uint8_t modifiesSqlData;
  uint8_t defineBind;
  AstNode* module;  // the owning package, null when standalone
};

struct CreatePkgBodyNode : AstNode {
  AstList* name;
  uint8_t orReplace;
  AstList* members;
  AstList* declarations;
  AstList* memberList1;
  AstList* prototypes;
  AstList* memberList2;
  uint32_t maxNameLength;
  AstList* routines;
  AstNode* initBlock;    // a one-item list holding the generated initialization procedure, or null
  AstList* pendingInit;  // statements a rewrite wants run when the module is initialized
};

struct CreatePkgHeadNode : AstNode {
  AstList* name;
  uint8_t orReplace;
  AstList* members;
  AstList* declarations;
  AstList* prototypes;
  uint32_t maxNameLength;
  uint8_t authid;
};

struct CreateTypeNode : AstNode {
  uint8_t orReplace;
  AstNode* declaration;  // a RecordDecl, TableDecl or VarrayDecl
};

struct DropPkgBodyNode : AstNode {
  AstList* name;
};

struct DropPkgHeadNode : AstNode {
  AstList* name;
  AstList* rest;
};

struct CreateProcNode : AstNode {
  AstList* name;
  uint8_t orReplace;
  AstNode* body;
  uint8_t authid;
  uint8_t isAutonomous;
  uint8_t isNested;
  uint8_t readsSqlData;
  AstList* arguments;
  AstNode* module;  // the owning package, null when standalone
};

struct CreateTriggerNode : AstNode {
  AstList* name;
  uint8_t orReplace;
  AstNode* body;
  TriggerTiming timing;
  uint32_t events;  // TriggerEvent bits
  AstList* updateColumns;
  AstList* table;
  AstList* referencing;  // TriggerArgNode items
  uint8_t forEachRow;
  AstList* follows;
  uint8_t disabled;
  uint8_t compound;
  AstList* condition;
  AstList* referencingNames[triggerRowCount];  // by `which`
};

// ---- declarations: declClass first ----

struct DeclNode : AstNode {
  DeclClass declClass;
  uint32_t nameLength;
  AstNode* module;
};

struct VarDeclNode : DeclNode {
  AstList* names;
  uint8_t constant;
  uint8_t notNull;
  AstList* datatype;
  AstList* defaultValue;
};

struct CursorDeclNode : DeclNode {
  AstList* name;
  AstNode* query;       // the query's tokens, or a select node the bulk rewrite copied
  AstList* parameters;  // FormalArgNode items
};

struct RecordDeclNode : DeclNode {
  AstList* name;
  AstList* fields;
};

struct TableDeclNode : DeclNode {
  AstList* name;
  AstList* elementType;
  AstList* indexType;
};

struct RefCursorDeclNode : DeclNode {
  AstList* name;
  AstList* returnType;  // null for a weak type
  uint8_t isLocalWeakCursorType;
};

struct VarrayDeclNode : DeclNode {
  AstList* name;
  AstList* elementType;
  const char* limit;
};

struct ExceptionDeclNode : DeclNode {
  AstList* name;
  int32_t errorCode;  // -1 for the SQLSTATE text form
  AstList* sqlstates;
};

struct SubtypeNode : DeclNode {
  AstList* names;
  AstList* datatype;
  AstList* range;
  uint8_t notNull;
};

// ---- parts ----

struct FormalArgNode : AstNode {
  AstList* name;
  ArgMode mode;
  AstList* datatype;
  AstList* defaultValue;
  uint8_t noCopy;
};

struct FuncProtoNode : AstNode {
  AstList* name;
  AstList* arguments;
  AstList* options;
  AstList* returnType;
  AstNode* module;
};

struct ProcProtoNode : AstNode {
  AstList* name;
  AstList* arguments;
  AstNode* module;
};

struct HandlerNode : AstNode {
  AstList* conditions;
  AstList* statements;
  HandlerKind handlerKind;
};

struct PragmaNode : AstNode {
  uint32_t pragmaCode;
  AstList* first;
  AstList* second;
};

// The most numerous node of all: its fields are ordered so that it packs into 32 bytes.
struct TokenNode : AstNode {
  uint32_t code;
  uint8_t dotted;
  const char* text;
};
static_assert(sizeof(TokenNode) == 32);

struct TriggerArgNode : AstNode {
  TriggerRow which;
  AstList* alias;
};

struct UsingParam : AstNode {
  ArgMode mode;
  AstList* value;
};

#define AST_TRIVIAL(T) static_assert(std::is_trivially_destructible_v<T>, #T " lives in the pool")
AST_TRIVIAL(AstList);
AST_TRIVIAL(BlockNode);
AST_TRIVIAL(CreateTriggerNode);
AST_TRIVIAL(TokenNode);
#undef AST_TRIVIAL

// ---- making nodes ----

// ctxAlloc(size), zero-filled, kind and line set.
AstNode* newNode(uint64_t size, uint32_t kind, int32_t line);

template <typename T>
T* makeNode(uint32_t kind, int32_t line) {
  static_assert(std::is_trivially_destructible_v<T>);
  return static_cast<T*>(newNode(sizeof(T), kind, line));
}

// A token node with a pool copy of `text` (null text stays null).
TokenNode* newTokenNode(uint32_t code, const char* text, int32_t line);
// The text of a token node (a list item, typically); null for null, for another kind or no text.
const char* tokenText(const void* item);
// The code of a token node; 0 for null or another kind.
uint32_t tokenCode(const void* item);

// ---- lists ----

using ListPredicate = bool (*)(AstList* list, AstListCell* cell);
using ListVisitor = void (*)(AstList* list, void* item, void* arg);

// One-item list; null for a null item.
AstList* listNew(void* item);
// Appends at the tail. Null item: list unchanged. Null list: a new one-item list.
AstList* listAppend(AstList* list, void* item);
// Puts item in front of the head. Null item: list unchanged. Null list: a new one-item list.
AstList* listPrepend(AstList* list, void* item);
// Links b's cells after a's; b's header must not be used again. Null a gives b, null b gives a.
AstList* listConcat(AstList* a, AstList* b);
// Links a ready chain of cells after the tail (creating the list when null).
AstList* listAppendCells(AstList* list, AstListCell* firstCell);
// Inserts item after the first cell holding afterItem (pointer equality).
void listInsertAfter(void* item, void* afterItem, AstList* list);
// A new list of the non-null items for which predicate holds (all when null); null when none.
AstList* listFilter(AstList* list, ListPredicate predicate);
void* listFirst(const AstList* list);
void* listLast(const AstList* list);
// The n-th item counting from 1, or null past the end (n == 0 is past the end).
void* listNth(const AstList* list, uint32_t n);
uint32_t listCount(const AstList* list);
AstListCell* listHeadCell(const AstList* list);
void listRemoveFirst(AstList* list);
// Unlinks cell (whose predecessor is prev, null for the head) and frees it.
void listRemoveAfter(AstList* list, AstListCell* cell, AstListCell* prev);
void listForEach(AstList* list, ListVisitor fn, void* arg);
// Token-list texts compared ignoring ASCII case: 1 when a is empty or a prefix of (or equal to) b.
int listNamesEqual(const AstList* a, const AstList* b);
// Pairwise as listNamesEqual over the shorter length; mode 1 ignores the lengths, otherwise they must match.
int listNamesMatch(const AstList* a, const AstList* b, int mode);

// ---- kinds ----

bool isStatementNode(const AstNode* node);
bool isRoutineNode(const AstNode* node);
bool isPackageNode(const AstNode* node);
bool isNotPackageNode(const AstNode* node);
bool isDeclarationNode(const AstNode* node);
// The declarations that name a type (RECORD, TABLE OF, REF CURSOR, VARRAY, SUBTYPE); false for null.
bool isTypeDeclarationNode(const AstNode* node);
bool isLoopNode(const AstNode* node);
// The kind's name; "UNKNOWN" for 13, 16, 57 and above 58.
const char* nodeKindName(uint32_t kind);
// The enumerator's spelling for every kind below astNodeKindCount (for dumps), else "UNKNOWN".
const char* nodeKindEnumName(uint32_t kind);

// ---- walking and printing ----

using TreeVisitor = void (*)(AstNode* node, void* arg);

// Pre-order: fn sees each node before its children; the last child of each node is visited in a loop
// so long chains do not deepen the stack.
void walkTree(AstNode* node, TreeVisitor fn, void* arg);

// walkTree without the token lists: fn sees the nodes walkTree shows it, in the same order, except token
// nodes and the lists of tokens that statements, declarations and arguments carry (nor anything in them).
// For scans that look for statements, handlers or blocks, which never sit inside a token list.
void walkStatements(AstNode* node, TreeVisitor fn, void* arg);

// The children walkTree visits after a node, in its order (entries may be null); bit i of tokenLists is
// set when items[i] is a token list. None for null and for the kinds walkTree does not visit.
struct AstChildren {
  AstNode* items[5];
  int count;
  uint32_t tokenLists;
};
AstChildren walkTreeChildren(AstNode* node);
// Whether walkTree visits a node of this kind at all (false for the abstract and unnamed kinds).
bool isWalkedByTree(const AstNode* node);

// Text form of a node and everything under it, one field per line with two-space indents; a pool
// string. Token lists print on one line as their texts joined by blanks, with the first token's line.
const char* printTree(const AstNode* node);
