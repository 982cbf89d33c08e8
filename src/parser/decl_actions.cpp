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
char* keywordAsWritten(const Value& keyword) {
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

Value blockValue(int32_t line, const Value& declarations, const Value& statements, const Value& handlers) {
  auto* block = makeNode<BlockNode>(astNodeBlock, line);
  block->declarations = listOf(declarations);
  block->statements = listOf(statements);
  block->handlers = listOf(handlers);
  return nodeValue(block);
}

TokenNode* keywordToken(const Value& keyword, int32_t line) {
  TokenNode* name = newTokenNode(T_STRING, nullptr, line);
  name->text = keywordAsWritten(keyword);
  return name;
}

void traceParsed(const char* what, const void* item) {
  if (yydebug == 0) return;
  const auto* node = static_cast<const AstNode*>(item);
  debugPrint("%s %s\n", what, node == nullptr ? "(nothing)" : nodeKindName(node->kind));
}

template <typename T>
T* makeDecl(uint32_t kind, DeclClass declClass, int32_t line) {
  T* decl = makeNode<T>(kind, line);
  decl->declClass = declClass;
  return decl;
}

// The three declaration groups of one section while it is being parsed.
struct DeclGroups {
  AstList* types;
  AstList* variables;
  AstList* others;
};
static_assert(std::is_trivially_destructible_v<DeclGroups>);

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

Value noValue(ParseContext*) { return pointerValue(nullptr, 0, -1); }

Value flagValue(ParseContext*, int32_t flag) { return pointerValue(nullptr, flag, -1); }

Value flagAt(ParseContext*, int32_t flag, const Value& token) { return pointerValue(nullptr, flag, token.line); }

Value lineValue(ParseContext* ctx) {
  const int32_t line = currentLine(ctx);
  return pointerValue(nullptr, line, line);
}

Value startList(ParseContext*, const Value& item) { return listValue(listNew(pointerOf(item))); }

Value appendItem(ParseContext*, const Value& list, const Value& item) {
  return listValue(listAppend(listOf(list), pointerOf(item)));
}

Value concatLists(ParseContext*, const Value& first, const Value& second) {
  return listValue(listConcat(listOf(first), listOf(second)));
}

Value keywordAsName(ParseContext*, const Value& keyword) { return listValue(listNew(keywordToken(keyword, -1))); }

Value keywordAsLinedName(ParseContext*, const Value& keyword) {
  return listValue(listNew(keywordToken(keyword, keyword.line)));
}

Value negativeDigits(ParseContext*, const Value& digits) {
  const char* text = digits.text == nullptr ? "" : digits.text;
  const size_t length = std::strlen(text);
  char* negative = static_cast<char*>(ctxAlloc(length + 2));
  negative[0] = '-';
  std::memcpy(negative + 1, text, length + 1);
  Value value = digits;
  value.text = negative;
  return value;
}

AstList* appendComment(AstList* list, const Value& comment) {
  return listAppend(list, newTokenNode(T_STRING, comment.text, comment.line));
}

void* parserStackAlloc(size_t size) { return ctxAlloc(size); }

void parserStackFree(void* stack) { ctxFree(stack); }

// ---- programs ----

void setProgramRoot(ParseContext* ctx, const Value& programs) { ctx->root = listOf(programs); }

namespace {

// The code of a program value that has no node but is a program all the same (DROP FUNCTION).
constexpr int32_t droppedRoutineMark = 1;

bool isProgram(const Value& program) { return pointerOf(program) != nullptr || program.code == droppedRoutineMark; }

}  // namespace

Value droppedRoutine(ParseContext*) { return pointerValue(nullptr, droppedRoutineMark, -1); }

Value startPrograms(ParseContext* ctx, const Value& program) {
  traceParsed("Parsed Program", pointerOf(program));
  if (isProgram(program)) ctx->programCount = 1;
  return listValue(listNew(pointerOf(program)));
}

Value appendProgram(ParseContext* ctx, const Value& programs, const Value& program) {
  if (!isProgram(program)) return programs;
  const bool allowed = ctx->settings != nullptr && ctx->settings->allowMultiplePrograms != 0;
  if (ctx->programCount > 0 && !allowed) {
    reportSyntaxErrorWithText(ctx, syntaxErrorMessage, "<END-OF-STATEMENT>");
  }
  ++ctx->programCount;
  if (pointerOf(program) == nullptr) return programs;
  return listValue(listAppend(listOf(programs), pointerOf(program)));
}

Value markAnonymousBlock(ParseContext*, const Value& block) {
  valueAs<BlockNode>(block)->isAnonymous = 1;
  return block;
}

Value finishCreateProc(ParseContext*, const Value& procedure, const Value& create, const Value& orReplace) {
  auto* node = valueAs<CreateProcNode>(procedure);
  node->line = create.line;
  node->orReplace = static_cast<uint8_t>(orReplace.code);
  return nodeValue(node);
}

Value finishCreateFunc(ParseContext*, const Value& function, const Value& create, const Value& orReplace) {
  auto* node = valueAs<CreateFuncNode>(function);
  node->line = create.line;
  node->orReplace = static_cast<uint8_t>(orReplace.code);
  return nodeValue(node);
}

Value buildProcedure(ParseContext*, const Value& keyword, const Value& name, const Value& arguments,
                     const Value& authid, const Value& readsSqlData, const Value& body) {
  auto* node = makeNode<CreateProcNode>(astNodeCreateProc, keyword.line);
  node->name = listOf(name);
  node->arguments = listOf(arguments);
  node->authid = static_cast<uint8_t>(authid.code);
  node->readsSqlData = static_cast<uint8_t>(readsSqlData.code);
  node->body = valueAs<AstNode>(body);
  return nodeValue(node);
}

Value buildFunction(ParseContext*, const Value& keyword, const Value& name, const Value& arguments,
                    const Value& returnType, const Value& options, const Value& body) {
  auto* node = makeNode<CreateFuncNode>(astNodeCreateFunc, keyword.line);
  node->name = listOf(name);
  node->arguments = listOf(arguments);
  node->returnType = listOf(returnType);
  node->options = listOf(options);
  node->body = valueAs<AstNode>(body);
  return nodeValue(node);
}

Value buildProcProto(ParseContext*, const Value& keyword, const Value& name, const Value& arguments) {
  auto* node = makeNode<ProcProtoNode>(astNodeProcProto, keyword.line);
  node->name = listOf(name);
  node->arguments = listOf(arguments);
  return nodeValue(node);
}

Value buildFuncProto(ParseContext*, const Value& keyword, const Value& name, const Value& arguments,
                     const Value& returnType, const Value& options) {
  auto* node = makeNode<FuncProtoNode>(astNodeFuncProto, keyword.line);
  node->name = listOf(name);
  node->arguments = listOf(arguments);
  node->returnType = listOf(returnType);
  node->options = listOf(options);
  return nodeValue(node);
}

Value buildDropPkgHead(ParseContext*, const Value& drop, const Value& name, const Value& rest) {
  auto* node = makeNode<DropPkgHeadNode>(astNodeDropPkgHead, drop.line);
  node->name = listOf(name);
  node->rest = listOf(rest);
  return nodeValue(node);
}

Value buildDropPkgBody(ParseContext*, const Value& drop, const Value& name) {
  auto* node = makeNode<DropPkgBodyNode>(astNodeDropPkgBody, drop.line);
  node->name = listOf(name);
  return nodeValue(node);
}

Value buildPkgHead(ParseContext*, const Value& create, const Value& orReplace, const Value& name, const Value& authid,
                   const Value& members) {
  auto* node = makeNode<CreatePkgHeadNode>(astNodeCreatePkgHead, create.line);
  node->name = listOf(name);
  node->orReplace = static_cast<uint8_t>(orReplace.code);
  node->authid = static_cast<uint8_t>(authid.code);
  node->members = listOf(members);
  return nodeValue(node);
}

Value buildPkgBody(ParseContext*, const Value& create, const Value& orReplace, const Value& name,
                   const Value& members) {
  auto* node = makeNode<CreatePkgBodyNode>(astNodeCreatePkgBody, create.line);
  node->name = listOf(name);
  node->orReplace = static_cast<uint8_t>(orReplace.code);
  node->members = listOf(members);
  return nodeValue(node);
}

Value authidOption(ParseContext*, const Value& authid, const Value&) {
  const bool definer = authid.code != 0;
  TokenNode* option = definer ? newTokenNode(T_DEFINER, "DEFINER", authid.line)
                              : newTokenNode(T_CURRENT_USER, "CURRENT_USER", authid.line);
  return nodeValue(option);
}

Value functionOption(ParseContext*, const Value& keyword, int code) {
  const char* text = "DETERMINISTIC";
  if (code == T_PIPELINED) text = "PIPELINED";
  if (code == T_ORDER) text = "ORDER_BY";
  return nodeValue(newTokenNode(static_cast<uint32_t>(code), text, keyword.line));
}

// ---- blocks ----

Value enterBlock(ParseContext* ctx, const Value& begin) {
  ctx->blockDepth += 1;
  // Recorded when the limit is first passed, not again for every deeper level of the same nesting.
  if (ctx->blockDepth == maxBlockDepth + 1) {
    reportErrorInDomain(ctx, maxNestingMessage, begin.line, statementTooBig, nullptr);
  }
  return pointerValue(nullptr, begin.line, begin.line);
}

Value leaveBlock(ParseContext* ctx, const Value& end) {
  ctx->blockDepth -= 1;
  return pointerValue(nullptr, end.line, end.line);
}

Value buildProgramBody(ParseContext*, const Value& declarations, const Value& begin, const Value& statements,
                       const Value& handlers) {
  return blockValue(begin.line, declarations, statements, handlers);
}

Value buildDeclareBlock(ParseContext*, const Value& declare, const Value& declarations, const Value& statements,
                        const Value& handlers) {
  return blockValue(declare.line, declarations, statements, handlers);
}

Value buildBeginBlock(ParseContext*, const Value& begin, const Value& statements, const Value& handlers) {
  return blockValue(begin.line, Value{}, statements, handlers);
}

// ---- declarations ----

Value startDeclarations(ParseContext*, const Value& declaration) {
  auto* groups = static_cast<DeclGroups*>(ctxAlloc(sizeof(DeclGroups)));
  *groups = DeclGroups{};
  addToGroup(groups, valueAs<AstNode>(declaration));
  traceParsed("Parsed Declaration", pointerOf(declaration));
  return pointerValue(groups, 0, -1);
}

Value addDeclaration(ParseContext*, const Value& groups, const Value& declaration) {
  addToGroup(valueAs<DeclGroups>(groups), valueAs<AstNode>(declaration));
  return groups;
}

Value finishDeclarations(ParseContext*, const Value& groups) {
  auto* sections = valueAs<DeclGroups>(groups);
  return listValue(listConcat(listConcat(sections->types, sections->variables), sections->others));
}

Value buildVarDecl(ParseContext* ctx, const Value& name, const Value& line, const Value& constant,
                   const Value& datatype, const Value& notNull, const Value& defaultValue) {
  auto* decl = makeDecl<VarDeclNode>(astNodeVarDecl, declVariable, line.line);
  decl->names = listOf(name);
  decl->constant = static_cast<uint8_t>(constant.code);
  decl->notNull = static_cast<uint8_t>(notNull.code);
  decl->datatype = listOf(datatype);
  decl->defaultValue = listOf(defaultValue);
  if (decl->constant != 0 && decl->defaultValue == nullptr) {
    reportSyntaxError(ctx, "Must specify a default value for CONSTANT declarations");
  }
  return nodeValue(decl);
}

Value buildVarrayDecl(ParseContext*, const Value& name, const Value& varray, const Value& limit,
                      const Value& elementType) {
  auto* decl = makeDecl<VarrayDeclNode>(astNodeVarrayDecl, declVarray, varray.line);
  decl->name = listOf(name);
  decl->limit = limit.text;
  decl->elementType = listOf(elementType);
  return nodeValue(decl);
}

// CREATE TYPE ... AS TABLE OF t may be the whole request, with no ';' after the datatype.
Value beginCreateType(ParseContext* ctx, const Value& orReplace) {
  ctx->allowEofInDatatype = true;
  return orReplace;
}

Value buildCreateType(ParseContext*, const Value& orReplace, const Value& line, const Value& declaration) {
  auto* node = makeNode<CreateTypeNode>(astNodeCreateType, line.line);
  node->orReplace = static_cast<uint8_t>(orReplace.code);
  node->declaration = valueAs<AstNode>(declaration);
  return nodeValue(node);
}

Value buildCreateObjectType(ParseContext*, const Value& orReplace, const Value& line, const Value& name,
                            const Value& fields) {
  auto* record = makeDecl<RecordDeclNode>(astNodeRecordDecl, declRecord, line.line);
  record->name = listOf(name);
  record->fields = listOf(fields);
  auto* node = makeNode<CreateTypeNode>(astNodeCreateType, line.line);
  node->orReplace = static_cast<uint8_t>(orReplace.code);
  node->declaration = record;
  return nodeValue(node);
}

Value buildCreateTableType(ParseContext*, const Value& orReplace, const Value& line, const Value& name,
                           const Value& elementType) {
  auto* table = makeDecl<TableDeclNode>(astNodeTableDecl, declTable, line.line);
  table->name = listOf(name);
  table->elementType = listOf(elementType);
  auto* node = makeNode<CreateTypeNode>(astNodeCreateType, line.line);
  node->orReplace = static_cast<uint8_t>(orReplace.code);
  node->declaration = table;
  return nodeValue(node);
}

Value buildSubtype(ParseContext*, const Value& line, const Value& name, const Value& datatype, const Value& range,
                   const Value& notNull) {
  auto* decl = makeDecl<SubtypeNode>(astNodeSubtype, declSubtype, line.line);
  decl->names = listOf(name);
  decl->datatype = listOf(datatype);
  decl->range = listOf(range);
  decl->notNull = static_cast<uint8_t>(notNull.code);
  return nodeValue(decl);
}

// The `..` token's own text is gone by now (the upper bound was read after it), but it is always "..".
Value buildRangeText(ParseContext*, const Value& low, const Value& dotdot, const Value& high) {
  AstList* range = listAppend(listOf(low), newTokenNode(T_DOTDOT, "..", dotdot.line));
  return listValue(listConcat(range, listOf(high)));
}

Value buildCursorDecl(ParseContext*, const Value& name, const Value& line, const Value& query) {
  auto* decl = makeDecl<CursorDeclNode>(astNodeCursorDecl, declCursor, line.line);
  decl->name = listOf(name);
  decl->query = listOf(query);
  return nodeValue(decl);
}

Value buildCursorDeclWithArgs(ParseContext* ctx, const Value& name, const Value& line, const Value& arguments,
                              const Value& query) {
  const Value value = buildCursorDecl(ctx, name, line, query);
  valueAs<CursorDeclNode>(value)->parameters = listOf(arguments);
  return value;
}

Value finishCursorQuery(ParseContext* ctx, const Value& query) {
  setCommentBeforeSemicolon(ctx, false);
  return query;
}

Value finishCursorQueryWithComment(ParseContext* ctx, const Value& query, const Value& comment) {
  setCommentBeforeSemicolon(ctx, false);
  return listValue(appendComment(listOf(query), comment));
}

Value buildRecordType(ParseContext*, const Value& type, const Value& name, const Value& fields) {
  auto* decl = makeDecl<RecordDeclNode>(astNodeRecordDecl, declRecord, type.line);
  decl->name = listOf(name);
  decl->fields = listOf(fields);
  return nodeValue(decl);
}

Value buildTableType(ParseContext*, const Value& type, const Value& name, const Value& elementType,
                     const Value& indexType) {
  auto* decl = makeDecl<TableDeclNode>(astNodeTableDecl, declTable, type.line);
  decl->name = listOf(name);
  decl->elementType = listOf(elementType);
  decl->indexType = listOf(indexType);
  if (decl->indexType == nullptr) decl->indexType = listNew(newTokenNode(T_INDEX, "INTEGER", type.line));
  return nodeValue(decl);
}

Value buildRefCursorType(ParseContext*, const Value& type, const Value& name) {
  auto* decl = makeDecl<RefCursorDeclNode>(astNodeRefCursorDecl, declRefCursor, type.line);
  decl->name = listOf(name);
  return nodeValue(decl);
}

Value buildStrongRefCursorType(ParseContext*, const Value& type, const Value& name, const Value& returnType) {
  auto* decl = makeDecl<RefCursorDeclNode>(astNodeRefCursorDecl, declRefCursor, type.line);
  decl->name = listOf(name);
  decl->returnType = listOf(returnType);
  return nodeValue(decl);
}

Value buildExceptionDecl(ParseContext*, const Value& name, const Value& line) {
  auto* decl = makeDecl<ExceptionDeclNode>(astNodeExceptionDecl, declException, line.line);
  decl->name = listOf(name);
  return nodeValue(decl);
}

Value buildExceptionInit(ParseContext* ctx, const Value& pragma, const Value& name, const Value& number) {
  auto* decl = makeDecl<ExceptionDeclNode>(astNodeExceptionDecl, declExceptionInit, pragma.line);
  decl->name = listOf(name);
  errno = 0;
  const long long converted = std::strtoll(number.text == nullptr ? "" : number.text, nullptr, 10);
  long long clamped = converted;
  if (clamped > INT32_MAX) clamped = INT32_MAX;
  if (clamped < INT32_MIN) clamped = INT32_MIN;
  if (errno == ERANGE || clamped != converted) reportSyntaxError(ctx, "Integer overflow");
  decl->errorCode = static_cast<int32_t>(clamped);
  return nodeValue(decl);
}

Value buildSqlstateExceptionInit(ParseContext*, const Value& pragma, const Value& name, const Value& sqlstate) {
  auto* decl = makeDecl<ExceptionDeclNode>(astNodeExceptionDecl, declExceptionInit, pragma.line);
  decl->name = listOf(name);
  decl->errorCode = -1;
  decl->sqlstates = listNew(newTokenNode(T_STRING, sqlstate.text, pragma.line));
  return nodeValue(decl);
}

Value buildAutonomousPragma(ParseContext*, const Value& pragma) {
  auto* node = makeNode<PragmaNode>(astNodePragma, pragma.line);
  node->pragmaCode = T_AUTONOMOUS_XACT;
  return nodeValue(node);
}

namespace {

// The datatype's first word was the parser's last token; a lookahead read after it would have to go
// back to the stream before the reader continues (the grammar's states never need one here).
AstList* readTypeAfterName(ParseContext* ctx, TokenValue* slot, int* lookahead, const Value& typeName) {
  if (*lookahead != YYEMPTY) {
    pushBackToken(ctx, readerFirstToken(*lookahead));
    *lookahead = YYEMPTY;
  }
  return readDatatype(ctx, slot, listOf(typeName));
}

bool isPercentReference(const void* item) {
  const auto* node = static_cast<const AstNode*>(item);
  if (node == nullptr || node->kind != astNodeToken) return false;
  const uint32_t code = static_cast<const TokenNode*>(node)->code;
  return code == T_PERCENT_TYPE || code == T_PERCENT_ROWTYPE;
}

}  // namespace

Value readDeclDatatype(ParseContext* ctx, TokenValue* slot, int* lookahead, const Value& typeName) {
  AstList* datatype = readTypeAfterName(ctx, slot, lookahead, typeName);
  if (datatype == nullptr) {
    reportSyntaxError(ctx, missingDatatype);
    return listValue(nullptr);
  }
  int references = 0;
  for (AstListCell* cell = listHeadCell(datatype); cell != nullptr; cell = cell->next) {
    if (isPercentReference(cell->item)) references += 1;
  }
  if (references > 1) {
    reportSyntaxError(ctx, "Syntax error - too many %TYPE or %ROWTYPE references");
    reportSyntaxError(ctx, "Invalid data type");
  }
  return listValue(datatype);
}

Value readFormalArgType(ParseContext* ctx, TokenValue* slot, int* lookahead, const Value& typeName) {
  AstList* datatype = readTypeAfterName(ctx, slot, lookahead, typeName);
  if (datatype == nullptr) reportSyntaxError(ctx, missingDatatype);
  return listValue(datatype);
}

Value readArgDefault(ParseContext* ctx, TokenValue* slot, int* lookahead) {
  AstList* value = collectTokens(ctx, slot, stopPushedBack, readerFirstToken(*lookahead), ')', T_COMMA);
  *lookahead = YYEMPTY;
  if (value == nullptr) reportSyntaxError(ctx, "Missing default value");
  return listValue(value);
}

Value buildFormalArg(ParseContext*, const Value& name, const Value& line, const Value& mode, const Value& datatype,
                     const Value& defaultValue) {
  auto* arg = makeNode<FormalArgNode>(astNodeFormalArg, line.line);
  arg->name = listOf(name);
  arg->mode = static_cast<ArgMode>(mode.code);
  arg->datatype = listOf(datatype);
  arg->defaultValue = listOf(defaultValue);
  return nodeValue(arg);
}

// ---- triggers ----

Value triggerEvent(ParseContext*, int32_t bit, const Value& columns) { return listValue(listOf(columns), bit); }

Value addTriggerEvent(ParseContext*, const Value& events, const Value& event) {
  AstList* columns = listOf(event) != nullptr ? listOf(event) : listOf(events);
  return listValue(columns, events.code | event.code);
}

Value buildTriggerArg(ParseContext*, TriggerRow which, const Value& alias) {
  AstList* names = listOf(alias);
  const auto* first = static_cast<const AstNode*>(listFirst(names));
  auto* arg = makeNode<TriggerArgNode>(astNodeTriggerArg, first == nullptr ? -1 : first->line);
  arg->which = which;
  arg->alias = names;
  return nodeValue(arg);
}

Value buildTrigger(ParseContext*, const TriggerParts& parts) {
  auto* node = makeNode<CreateTriggerNode>(astNodeCreateTrigger, parts.create.line);
  node->name = listOf(parts.name);
  node->orReplace = static_cast<uint8_t>(parts.orReplace.code);
  node->timing = static_cast<TriggerTiming>(parts.timing.code);
  node->events = static_cast<uint32_t>(parts.events.code);
  node->updateColumns = listOf(parts.events);
  node->table = listOf(parts.table);
  node->referencing = listOf(parts.referencing);
  node->forEachRow = static_cast<uint8_t>(parts.forEachRow.code);
  node->follows = listOf(parts.follows);
  node->disabled = static_cast<uint8_t>(parts.disabled.code);
  node->compound = static_cast<uint8_t>(parts.compound.code);
  node->condition = listOf(parts.condition);
  node->body = valueAs<AstNode>(parts.body);
  return nodeValue(node);
}
