// decl_actions.cpp - what the grammar builds for programs, routines, packages, blocks, declarations,
// formal arguments and triggers, plus the value plumbing every action shares.
// Called only from the generated parser's actions; every node comes from the compilation's pool.
#include "parser/actions.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "host/host.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

// The three declaration groups of one section while it is being parsed.
struct DeclGroups {
  AstList* types;
  AstList* variables;
  AstList* others;
};
static_assert(std::is_trivially_destructible_v<DeclGroups>);

namespace {

// Deeper BEGIN nesting than this is refused: the later stages recurse per block level.
constexpr int maxBlockDepth = 512;

bool isNamePart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
         c == '#' || c == '@' || c >= 0x80;
}

bool isGap(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

size_t namePartLength(const char* text) {
  size_t length = 0;
  while (isNamePart(static_cast<unsigned char>(text[length]))) length += 1;
  return length;
}

// A keyword's text points into the scanner's buffer, where it is NUL-terminated only until the next
// token is scanned; when the parser had to look ahead before deciding that the keyword is a name, the
// text runs on into what follows. A keyword ends where its identifier characters end, except the two
// two-word keywords a name may be (REF CURSOR, VARYING ARRAY), which end after their second word.
char* keywordAsWritten(Token keyword) {
  const char* text = keyword.text == nullptr ? "" : keyword.text;
  size_t length = namePartLength(text);
  const bool twoWords = (keyword.code == T_REFCURSOR && length == 3 && asciiEqualIgnoringCaseN(text, "REF", 3)) ||
                        (keyword.code == T_VARRAY && length == 7 && asciiEqualIgnoringCaseN(text, "VARYING", 7));
  if (twoWords) {
    size_t gap = length;
    while (isGap(text[gap])) gap += 1;
    length = gap + namePartLength(text + gap);
  }
  return ctxStrndup(text, length);
}

AstNode* blockNode(int32_t line, AstList* declarations, AstList* statements, AstList* handlers) {
  auto* block = makeNode<BlockNode>(astNodeBlock, line);
  block->declarations = declarations;
  block->statements = statements;
  block->handlers = handlers;
  return block;
}

TokenNode* keywordToken(Token keyword, int32_t line) {
  TokenNode* name = newTokenNode(T_STRING, nullptr, line);
  name->text = keywordAsWritten(keyword);
  return name;
}

void traceParsed(const char* what, const AstNode* node) {
  if (yydebug == 0) return;
  debugPrint("%s %s\n", what, node == nullptr ? "(nothing)" : nodeKindName(node->kind));
}

template <typename T>
T* makeDecl(uint32_t kind, DeclClass declClass, int32_t line) {
  T* decl = makeNode<T>(kind, line);
  decl->declClass = declClass;
  return decl;
}

// A procedure, function or prototype node at its keyword's line, with its name and formal arguments.
template <typename T>
T* makeRoutine(uint32_t kind, Token keyword, AstList* name, AstList* arguments) {
  T* routine = makeNode<T>(kind, keyword.line);
  routine->name = name;
  routine->arguments = arguments;
  return routine;
}

bool isVariableDeclaration(const AstNode* node) {
  return node->kind == astNodeVarDecl || node->kind == astNodeCursorDecl;
}

// Appending to the group keeps each group in source order; joining types, variables and the rest at
// the end of the section gives the same list as inserting every declaration at its group's end.
void addToGroup(DeclGroups* groups, AstNode* declaration) {
  if (declaration == nullptr) return;
  if (isTypeDeclarationNode(declaration)) {
    groups->types = listAppend(groups->types, declaration);
  } else if (isVariableDeclaration(declaration)) {
    groups->variables = listAppend(groups->variables, declaration);
  } else {
    groups->others = listAppend(groups->others, declaration);
  }
}

}  // namespace

// ---- value plumbing ----

TokenValue noValue(ParseContext*) {
  TokenValue value{};
  value.line = -1;
  return value;
}

ExprText noText(ParseContext*) { return ExprText{}; }

int32_t flagValue(ParseContext*, int32_t flag) { return flag; }

TokenValue flagAt(ParseContext* ctx, int32_t flag, Token token) {
  TokenValue value = noValue(ctx);
  value.code = flag;
  value.line = token.line;
  return value;
}

TokenValue definerRights(ParseContext* ctx) {
  TokenValue value = noValue(ctx);
  value.code = 1;
  return value;
}

int32_t lineValue(ParseContext* ctx) { return currentLine(ctx); }

AstList* startList(ParseContext*, AstNode* item) { return listNew(item); }

AstList* appendItem(ParseContext*, AstList* list, AstNode* item) { return listAppend(list, item); }

AstList* concatLists(ParseContext*, AstList* first, AstList* second) { return listConcat(first, second); }

AstList* keywordAsName(ParseContext*, Token keyword) { return listNew(keywordToken(keyword, -1)); }

AstList* keywordAsLinedName(ParseContext*, Token keyword) { return listNew(keywordToken(keyword, keyword.line)); }

TokenValue negativeDigits(ParseContext*, Token digits) {
  const char* text = digits.text == nullptr ? "" : digits.text;
  const size_t length = std::strlen(text);
  char* negative = static_cast<char*>(ctxAlloc(length + 2));
  negative[0] = '-';
  std::memcpy(negative + 1, text, length + 1);
  TokenValue value = digits;
  value.text = negative;
  return value;
}

AstList* appendComment(AstList* list, Token comment) {
  return listAppend(list, newTokenNode(T_STRING, comment.text, comment.line));
}

void* parserStackAlloc(size_t size) { return ctxAlloc(size); }

void parserStackFree(void* stack) { ctxFree(stack); }

// ---- programs ----

void setProgramRoot(ParseContext* ctx, AstList* programs) { ctx->root = programs; }

namespace {

// A program without a node still counts when it was a dropped routine; the note is used up here, so it
// counts once.
bool isProgram(ParseContext* ctx, const AstNode* program) {
  const bool dropped = ctx->droppedRoutine;
  ctx->droppedRoutine = false;
  return program != nullptr || dropped;
}

}  // namespace

AstNode* droppedRoutine(ParseContext* ctx) {
  ctx->droppedRoutine = true;
  return nullptr;
}

AstList* startPrograms(ParseContext* ctx, AstNode* program) {
  traceParsed("Parsed Program", program);
  if (isProgram(ctx, program)) ctx->programCount = 1;
  return listNew(program);
}

AstList* appendProgram(ParseContext* ctx, AstList* programs, AstNode* program) {
  if (!isProgram(ctx, program)) return programs;
  const bool allowed = ctx->settings != nullptr && ctx->settings->allowMultiplePrograms != 0;
  if (ctx->programCount > 0 && !allowed) {
    reportSyntaxErrorWithText(ctx, syntaxErrorMessage, "<END-OF-STATEMENT>");
  }
  ++ctx->programCount;
  if (program == nullptr) return programs;
  return listAppend(programs, program);
}

// Only a block reaches here (the rule's one symbol is pl_block).
AstNode* markAnonymousBlock(ParseContext*, AstNode* block) {
  static_cast<BlockNode*>(block)->isAnonymous = 1;
  return block;
}

AstNode* finishCreateProc(ParseContext*, AstNode* procedure, Token create, int32_t orReplace) {
  auto* node = static_cast<CreateProcNode*>(procedure);
  node->line = create.line;
  node->orReplace = static_cast<uint8_t>(orReplace);
  return node;
}

AstNode* finishCreateFunc(ParseContext*, AstNode* function, Token create, int32_t orReplace) {
  auto* node = static_cast<CreateFuncNode*>(function);
  node->line = create.line;
  node->orReplace = static_cast<uint8_t>(orReplace);
  return node;
}

AstNode* buildProcedure(ParseContext*, Token keyword, AstList* name, AstList* arguments, Token authid,
                        int32_t readsSqlData, AstNode* body) {
  auto* node = makeRoutine<CreateProcNode>(astNodeCreateProc, keyword, name, arguments);
  node->authid = static_cast<uint8_t>(authid.code);
  node->readsSqlData = static_cast<uint8_t>(readsSqlData);
  node->body = body;
  return node;
}

AstNode* buildFunction(ParseContext*, Token keyword, AstList* name, AstList* arguments, AstList* returnType,
                       AstList* options, AstNode* body) {
  auto* node = makeRoutine<CreateFuncNode>(astNodeCreateFunc, keyword, name, arguments);
  node->returnType = returnType;
  node->options = options;
  node->body = body;
  return node;
}

AstNode* buildProcProto(ParseContext*, Token keyword, AstList* name, AstList* arguments) {
  return makeRoutine<ProcProtoNode>(astNodeProcProto, keyword, name, arguments);
}

AstNode* buildFuncProto(ParseContext*, Token keyword, AstList* name, AstList* arguments, AstList* returnType,
                        AstList* options) {
  auto* node = makeRoutine<FuncProtoNode>(astNodeFuncProto, keyword, name, arguments);
  node->returnType = returnType;
  node->options = options;
  return node;
}

AstNode* buildDropPkgHead(ParseContext*, Token drop, AstList* name, AstList* rest) {
  auto* node = makeNode<DropPkgHeadNode>(astNodeDropPkgHead, drop.line);
  node->name = name;
  node->rest = rest;
  return node;
}

AstNode* buildDropPkgBody(ParseContext*, Token drop, AstList* name) {
  auto* node = makeNode<DropPkgBodyNode>(astNodeDropPkgBody, drop.line);
  node->name = name;
  return node;
}

AstNode* buildPkgHead(ParseContext*, Token create, int32_t orReplace, AstList* name, Token authid, AstList* members) {
  auto* node = makeNode<CreatePkgHeadNode>(astNodeCreatePkgHead, create.line);
  node->name = name;
  node->orReplace = static_cast<uint8_t>(orReplace);
  node->authid = static_cast<uint8_t>(authid.code);
  node->members = members;
  return node;
}

AstNode* buildPkgBody(ParseContext*, Token create, int32_t orReplace, AstList* name, AstList* members) {
  auto* node = makeNode<CreatePkgBodyNode>(astNodeCreatePkgBody, create.line);
  node->name = name;
  node->orReplace = static_cast<uint8_t>(orReplace);
  node->members = members;
  return node;
}

AstNode* authidOption(ParseContext*, Token authid, int32_t) {
  const bool definer = authid.code != 0;
  return definer ? newTokenNode(T_DEFINER, "DEFINER", authid.line)
                 : newTokenNode(T_CURRENT_USER, "CURRENT_USER", authid.line);
}

AstNode* functionOption(ParseContext*, Token keyword, int code) {
  const char* text = "DETERMINISTIC";
  if (code == T_PIPELINED) text = "PIPELINED";
  if (code == T_ORDER) text = "ORDER_BY";
  return newTokenNode(static_cast<uint32_t>(code), text, keyword.line);
}

// ---- blocks ----

int32_t enterBlock(ParseContext* ctx, Token begin) {
  ctx->blockDepth += 1;
  // Recorded when the limit is first passed, not again for every deeper level of the same nesting.
  if (ctx->blockDepth == maxBlockDepth + 1) {
    reportErrorInDomain(ctx, maxNestingMessage, begin.line, statementTooBig, nullptr);
  }
  return begin.line;
}

int32_t leaveBlock(ParseContext* ctx, Token end) {
  ctx->blockDepth -= 1;
  return end.line;
}

AstNode* buildProgramBody(ParseContext*, AstList* declarations, int32_t beginLine, AstList* statements,
                          AstList* handlers) {
  return blockNode(beginLine, declarations, statements, handlers);
}

AstNode* buildDeclareBlock(ParseContext*, Token declare, AstList* declarations, AstList* statements,
                           AstList* handlers) {
  return blockNode(declare.line, declarations, statements, handlers);
}

AstNode* buildBeginBlock(ParseContext*, int32_t beginLine, AstList* statements, AstList* handlers) {
  return blockNode(beginLine, nullptr, statements, handlers);
}

// ---- declarations ----

DeclGroups* startDeclarations(ParseContext*, AstNode* declaration) {
  auto* groups = static_cast<DeclGroups*>(ctxAlloc(sizeof(DeclGroups)));
  *groups = DeclGroups{};
  addToGroup(groups, declaration);
  traceParsed("Parsed Declaration", declaration);
  return groups;
}

DeclGroups* addDeclaration(ParseContext*, DeclGroups* groups, AstNode* declaration) {
  addToGroup(groups, declaration);
  return groups;
}

AstList* finishDeclarations(ParseContext*, DeclGroups* groups) {
  return listConcat(listConcat(groups->types, groups->variables), groups->others);
}

AstNode* buildVarDecl(ParseContext* ctx, AstList* name, int32_t line, int32_t constant, AstList* datatype,
                      int32_t notNull, const ExprText& defaultValue) {
  auto* decl = makeDecl<VarDeclNode>(astNodeVarDecl, declVariable, line);
  decl->names = name;
  decl->constant = static_cast<uint8_t>(constant);
  decl->notNull = static_cast<uint8_t>(notNull);
  decl->datatype = datatype;
  decl->defaultValue = defaultValue.tokens;
  if (decl->constant != 0 && decl->defaultValue == nullptr) {
    reportSyntaxError(ctx, "Must specify a default value for CONSTANT declarations");
  }
  return decl;
}

AstNode* buildVarrayDecl(ParseContext*, AstList* name, Token varray, Token limit, AstList* elementType) {
  auto* decl = makeDecl<VarrayDeclNode>(astNodeVarrayDecl, declVarray, varray.line);
  decl->name = name;
  decl->limit = limit.text;
  decl->elementType = elementType;
  return decl;
}

// CREATE TYPE ... AS TABLE OF t may be the whole request, with no ';' after the datatype.
int32_t beginCreateType(ParseContext* ctx, int32_t orReplace) {
  ctx->allowEofInDatatype = true;
  return orReplace;
}

AstNode* buildCreateType(ParseContext*, int32_t orReplace, int32_t line, AstNode* declaration) {
  auto* node = makeNode<CreateTypeNode>(astNodeCreateType, line);
  node->orReplace = static_cast<uint8_t>(orReplace);
  node->declaration = declaration;
  return node;
}

AstNode* buildCreateObjectType(ParseContext* ctx, int32_t orReplace, int32_t line, AstList* name, AstList* fields) {
  auto* record = makeDecl<RecordDeclNode>(astNodeRecordDecl, declRecord, line);
  record->name = name;
  record->fields = fields;
  return buildCreateType(ctx, orReplace, line, record);
}

AstNode* buildCreateTableType(ParseContext* ctx, int32_t orReplace, int32_t line, AstList* name, AstList* elementType) {
  auto* table = makeDecl<TableDeclNode>(astNodeTableDecl, declTable, line);
  table->name = name;
  table->elementType = elementType;
  return buildCreateType(ctx, orReplace, line, table);
}

AstNode* buildSubtype(ParseContext*, int32_t line, AstList* name, AstList* datatype, AstList* range, int32_t notNull) {
  auto* decl = makeDecl<SubtypeNode>(astNodeSubtype, declSubtype, line);
  decl->names = name;
  decl->datatype = datatype;
  decl->range = range;
  decl->notNull = static_cast<uint8_t>(notNull);
  return decl;
}

// The `..` token's own text is gone by now (the upper bound was read after it), but it is always "..".
AstList* buildRangeText(ParseContext*, AstList* low, Token dotdot, AstList* high) {
  AstList* range = listAppend(low, newTokenNode(T_DOTDOT, "..", dotdot.line));
  return listConcat(range, high);
}

AstList* subtypeRange(ParseContext* ctx, const ExprText& low, Token dotdot, const ExprText& high) {
  return buildRangeText(ctx, low.tokens, dotdot, high.tokens);
}

AstNode* buildCursorDecl(ParseContext*, AstList* name, int32_t line, AstList* query) {
  auto* decl = makeDecl<CursorDeclNode>(astNodeCursorDecl, declCursor, line);
  decl->name = name;
  decl->query = query;
  return decl;
}

AstNode* buildCursorDeclWithArgs(ParseContext* ctx, AstList* name, int32_t line, AstList* arguments, AstList* query) {
  auto* decl = static_cast<CursorDeclNode*>(buildCursorDecl(ctx, name, line, query));
  decl->parameters = arguments;
  return decl;
}

AstList* finishCursorQuery(ParseContext* ctx, AstList* query) {
  setCommentBeforeSemicolon(ctx, false);
  return query;
}

AstList* finishCursorQueryWithComment(ParseContext* ctx, AstList* query, Token comment) {
  setCommentBeforeSemicolon(ctx, false);
  return appendComment(query, comment);
}

AstNode* buildRecordType(ParseContext*, Token type, AstList* name, AstList* fields) {
  auto* decl = makeDecl<RecordDeclNode>(astNodeRecordDecl, declRecord, type.line);
  decl->name = name;
  decl->fields = fields;
  return decl;
}

AstNode* buildTableType(ParseContext*, Token type, AstList* name, AstList* elementType, AstList* indexType) {
  auto* decl = makeDecl<TableDeclNode>(astNodeTableDecl, declTable, type.line);
  decl->name = name;
  decl->elementType = elementType;
  decl->indexType = indexType;
  if (decl->indexType == nullptr) decl->indexType = listNew(newTokenNode(T_INDEX, "INTEGER", type.line));
  return decl;
}

AstNode* buildRefCursorType(ParseContext*, Token type, AstList* name) {
  auto* decl = makeDecl<RefCursorDeclNode>(astNodeRefCursorDecl, declRefCursor, type.line);
  decl->name = name;
  return decl;
}

AstNode* buildStrongRefCursorType(ParseContext*, Token type, AstList* name, AstList* returnType) {
  auto* decl = makeDecl<RefCursorDeclNode>(astNodeRefCursorDecl, declRefCursor, type.line);
  decl->name = name;
  decl->returnType = returnType;
  return decl;
}

AstNode* buildExceptionDecl(ParseContext*, AstList* name, int32_t line) {
  auto* decl = makeDecl<ExceptionDeclNode>(astNodeExceptionDecl, declException, line);
  decl->name = name;
  return decl;
}

AstNode* buildExceptionInit(ParseContext* ctx, Token pragma, AstList* name, Token number) {
  auto* decl = makeDecl<ExceptionDeclNode>(astNodeExceptionDecl, declExceptionInit, pragma.line);
  decl->name = name;
  errno = 0;
  const long long converted = std::strtoll(number.text == nullptr ? "" : number.text, nullptr, 10);
  long long clamped = converted;
  if (clamped > INT32_MAX) clamped = INT32_MAX;
  if (clamped < INT32_MIN) clamped = INT32_MIN;
  if (errno == ERANGE || clamped != converted) reportSyntaxError(ctx, "Integer overflow");
  decl->errorCode = static_cast<int32_t>(clamped);
  return decl;
}

AstNode* buildSqlstateExceptionInit(ParseContext*, Token pragma, AstList* name, Token sqlstate) {
  auto* decl = makeDecl<ExceptionDeclNode>(astNodeExceptionDecl, declExceptionInit, pragma.line);
  decl->name = name;
  decl->errorCode = -1;
  decl->sqlstates = listNew(newTokenNode(T_STRING, sqlstate.text, pragma.line));
  return decl;
}

AstNode* buildAutonomousPragma(ParseContext*, Token pragma) {
  auto* node = makeNode<PragmaNode>(astNodePragma, pragma.line);
  node->pragmaCode = T_AUTONOMOUS_XACT;
  return node;
}

namespace {

// The datatype's first word was the parser's last token; a lookahead read after it would have to go
// back to the stream before the reader continues (the grammar's states never need one here).
AstList* readTypeAfterName(ParseContext* ctx, TokenValue* slot, int* lookahead, AstList* typeName) {
  if (*lookahead != YYEMPTY) {
    pushBackToken(ctx, readerFirstToken(*lookahead));
    *lookahead = YYEMPTY;
  }
  return readDatatype(ctx, slot, typeName);
}

bool isPercentReference(const void* item) {
  const auto* node = static_cast<const AstNode*>(item);
  if (node == nullptr || node->kind != astNodeToken) return false;
  const uint32_t code = static_cast<const TokenNode*>(node)->code;
  return code == T_PERCENT_TYPE || code == T_PERCENT_ROWTYPE;
}

}  // namespace

AstList* readDeclDatatype(ParseContext* ctx, TokenValue* slot, int* lookahead, AstList* typeName) {
  AstList* datatype = readTypeAfterName(ctx, slot, lookahead, typeName);
  if (datatype == nullptr) {
    reportSyntaxError(ctx, missingDatatype);
    return nullptr;
  }
  int references = 0;
  for (AstListCell* cell = listHeadCell(datatype); cell != nullptr; cell = cell->next) {
    if (isPercentReference(cell->item)) references += 1;
  }
  if (references > 1) {
    reportSyntaxError(ctx, "Syntax error - too many %TYPE or %ROWTYPE references");
    reportSyntaxError(ctx, "Invalid data type");
  }
  return datatype;
}

AstList* readFormalArgType(ParseContext* ctx, TokenValue* slot, int* lookahead, AstList* typeName) {
  AstList* datatype = readTypeAfterName(ctx, slot, lookahead, typeName);
  if (datatype == nullptr) reportSyntaxError(ctx, missingDatatype);
  return datatype;
}

AstList* readArgDefault(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  AstList* value = collectTokens(ctx, slot, stopPushedBack, readerFirstToken(*lookahead), ')', T_COMMA);
  *lookahead = YYEMPTY;
  if (value == nullptr) reportSyntaxError(ctx, "Missing default value");
  return value;
}

AstNode* buildFormalArg(ParseContext*, AstList* name, int32_t line, int32_t mode, AstList* datatype,
                        AstList* defaultValue) {
  auto* arg = makeNode<FormalArgNode>(astNodeFormalArg, line);
  arg->name = name;
  arg->mode = static_cast<ArgMode>(mode);
  arg->datatype = datatype;
  arg->defaultValue = defaultValue;
  return arg;
}

// ---- triggers ----

TokenValue triggerEvent(ParseContext* ctx, int32_t bit, AstList* columns) {
  TokenValue value = noValue(ctx);
  value.list = columns;
  value.code = bit;
  return value;
}

TokenValue addTriggerEvent(ParseContext* ctx, Token events, Token event) {
  AstList* columns = event.list != nullptr ? event.list : events.list;
  return triggerEvent(ctx, events.code | event.code, columns);
}

AstNode* buildTriggerArg(ParseContext*, TriggerRow which, AstList* alias) {
  const auto* first = static_cast<const AstNode*>(listFirst(alias));
  auto* arg = makeNode<TriggerArgNode>(astNodeTriggerArg, first == nullptr ? -1 : first->line);
  arg->which = which;
  arg->alias = alias;
  return arg;
}

AstNode* buildTrigger(ParseContext*, const TriggerParts& parts) {
  auto* node = makeNode<CreateTriggerNode>(astNodeCreateTrigger, parts.create.line);
  node->name = parts.name;
  node->orReplace = static_cast<uint8_t>(parts.orReplace);
  node->timing = static_cast<TriggerTiming>(parts.timing);
  node->events = static_cast<uint32_t>(parts.events.code);
  node->updateColumns = parts.events.list;
  node->table = parts.table;
  node->referencing = parts.referencing;
  node->forEachRow = static_cast<uint8_t>(parts.forEachRow);
  node->follows = parts.follows;
  node->disabled = static_cast<uint8_t>(parts.disabled);
  node->compound = static_cast<uint8_t>(parts.compound);
  node->condition = parts.condition;
  node->body = parts.body;
  return node;
}
