// expr_actions.cpp - conditions and the few parsed expressions, rebuilt as text lists in source order.
// The host engine applies its own operator precedence to the text; the point of parsing is to find
// bare values (a BOOLEAN variable, a call) and make them predicates by comparing them with TRUE.
// Everything here appends to lists: nothing recurses per nesting level of the expression.
#include "parser/actions.h"

#include <cstring>

#include "host/host.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

constexpr int32_t bare = 1;

TokenNode* token(const char* text, uint32_t code, int32_t line) { return newTokenNode(code, text, line); }

TokenNode* token(const char* text, int32_t line) { return newTokenNode(T_STRING, text, line); }

AstList* add(AstList* list, TokenNode* item) { return listAppend(list, item); }

AstList* add(AstList* list, const ExprText& text) { return listConcat(list, text.tokens); }

// A token list's text after the list: its cells move over.
AstList* addTokens(AstList* list, AstList* tokens) { return listConcat(list, tokens); }

ExprText textOf(AstList* tokens, int32_t bareFlag = 0) { return ExprText{tokens, bareFlag}; }

// "(" operand " = TRUE)" for a bare value, the operand itself otherwise.
AstList* asPredicate(AstList* list, const ExprText& operand, int32_t line) {
  if (operand.bare == 0) return add(list, operand);
  list = add(list, token("(", line));
  list = add(list, operand);
  return add(list, token(" = TRUE)", line));
}

int32_t firstLine(AstList* tokens) {
  const auto* node = static_cast<const AstNode*>(listFirst(tokens));
  return node == nullptr ? -1 : node->line;
}

TokenNode* firstToken(AstList* tokens) {
  auto* node = static_cast<AstNode*>(listFirst(tokens));
  if (node == nullptr || node->kind != astNodeToken) return nullptr;
  return static_cast<TokenNode*>(node);
}

// SQLCODE, SQLSTATE and SQLERRM as the first part of a name, in any letter case. A qualified name's
// text may hold gaps around its dots.
uint32_t diagnosticCodeOf(const char* text) {
  if (text == nullptr) return 0;
  const size_t length = std::strcspn(text, ". \t\n\r");
  if (length == 7 && asciiEqualIgnoringCaseN(text, "SQLCODE", 7)) return T_SQLCODE;
  if (length == 7 && asciiEqualIgnoringCaseN(text, "SQLERRM", 7)) return T_SQLERRM;
  if (length == 8 && asciiEqualIgnoringCaseN(text, "SQLSTATE", 8)) return T_SQLSTATE;
  return 0;
}

}  // namespace

AstList* finishCondition(ParseContext*, const ExprText& expression, int32_t line) {
  if (expression.bare == 0) return expression.tokens;
  return add(expression.tokens, token(" = TRUE", line));
}

TokenNode* logicalOperator(ParseContext*, Token keyword, int code) {
  return token(code == T_OR ? "OR" : "AND", static_cast<uint32_t>(code), keyword.line);
}

ExprText joinLogical(ParseContext*, const ExprText& left, TokenNode* op, const ExprText& right) {
  AstList* list = asPredicate(nullptr, left, firstLine(left.tokens));
  list = add(list, op);
  return textOf(asPredicate(list, right, op->line));
}

ExprText negateCondition(ParseContext*, Token keyword, const ExprText& operand) {
  if (operand.bare == 0) return textOf(add(add(nullptr, token("NOT", T_NOT, keyword.line)), operand));
  AstList* list = add(nullptr, token("NOT(", keyword.line));
  list = add(list, operand);
  return textOf(add(list, token(" = TRUE)", keyword.line)));
}

ExprText buildComparison(ParseContext*, const ExprText& left, Token op, const ExprText& right) {
  AstList* list = add(left.tokens, token(op.text, T_COMPARISON, op.line));
  return textOf(add(list, right));
}

ExprText buildLike(ParseContext*, const ExprText& left, int32_t negated, Token keyword, const ExprText& pattern,
                   const ExprText& escape) {
  AstList* list = add(left.tokens, token(negated != 0 ? "NOT LIKE" : "LIKE", T_LIKE, keyword.line));
  list = add(list, pattern);
  return textOf(add(list, escape));
}

ExprText escapeText(ParseContext*, Token keyword, const ExprText& value) {
  return textOf(add(add(nullptr, token("ESCAPE", T_ESCAPE, keyword.line)), value));
}

ExprText buildIsNull(ParseContext*, const ExprText& left, Token keyword, int32_t negated) {
  return textOf(add(left.tokens, token(negated != 0 ? "IS NOT NULL" : "IS NULL", keyword.line)));
}

ExprText buildBetween(ParseContext*, const ExprText& left, int32_t negated, Token keyword, const ExprText& low,
                      Token andKeyword, const ExprText& high) {
  AstList* list = add(left.tokens, token(negated != 0 ? "NOT BETWEEN" : "BETWEEN", T_BETWEEN, keyword.line));
  list = add(list, low);
  list = add(list, token("AND", T_AND, andKeyword.line));
  return textOf(add(list, high));
}

ExprText buildInList(ParseContext*, const ExprText& left, int32_t negated, Token keyword, const ExprText& arguments,
                     int32_t closeLine) {
  AstList* list = add(left.tokens, token(negated != 0 ? "NOT IN" : "IN", T_IN, keyword.line));
  list = add(list, token("(", keyword.line));
  list = add(list, arguments);
  return textOf(add(list, token(")", closeLine)));
}

ExprText appendArgument(ParseContext*, const ExprText& arguments, Token comma, const ExprText& argument) {
  AstList* list = add(arguments.tokens, token(",", T_COMMA, comma.line));
  return textOf(add(list, argument));
}

ExprText namedArgument(ParseContext*, Token argName, const ExprText& expression) {
  return textOf(add(add(nullptr, token(argName.text, T_ARGNAME, argName.line)), expression));
}

ExprText concatText(ParseContext*, const ExprText& first, const ExprText& second) {
  return textOf(add(first.tokens, second), first.bare);
}

ExprText argumentText(ParseContext*, const ExprText& expression, AstList* rest) {
  return textOf(addTokens(expression.tokens, rest), expression.bare);
}

TokenNode* signText(ParseContext*, Token sign) { return token(sign.text, sign.line); }

TokenNode* operatorText(ParseContext*, Token op, int code) {
  return token(op.text, static_cast<uint32_t>(code), op.line);
}

TokenNode* characterOperator(ParseContext*, char op, int32_t line) {
  const char opText[2] = {op, '\0'};
  return token(opText, line);
}

ExprText joinBinary(ParseContext*, const ExprText& left, TokenNode* op, const ExprText& right) {
  AstList* list = add(left.tokens, op);
  return textOf(add(list, right));
}

ExprText applySign(ParseContext*, TokenNode* sign, const ExprText& operand) {
  TokenNode* number = firstToken(operand.tokens);
  if (listCount(operand.tokens) == 1 && number != nullptr && number->code == T_DIGITS) {
    const size_t signLength = std::strlen(sign->text);
    const size_t digitsLength = std::strlen(number->text);
    char* literal = static_cast<char*>(ctxAlloc(signLength + digitsLength + 1));
    std::memcpy(literal, sign->text, signLength);
    std::memcpy(literal + signLength, number->text, digitsLength + 1);
    number->text = literal;
    return textOf(operand.tokens);
  }
  return textOf(add(add(nullptr, sign), operand));
}

ExprText parenthesize(ParseContext*, int32_t openLine, const ExprText& expression, int32_t closeLine) {
  AstList* list = add(nullptr, token("(", openLine));
  list = add(list, expression);
  return textOf(add(list, token(")", closeLine)), expression.bare);
}

ExprText nameValue(ParseContext*, AstList* name) {
  TokenNode* first = firstToken(name);
  if (first != nullptr) {
    const uint32_t code = diagnosticCodeOf(first->text);
    if (code != 0) {
      first->code = code;
      // The list now holds a token the transformer's prescan must see.
      if (name != nullptr) name->plainTokens = 0;
    }
  }
  return textOf(name, bare);
}

ExprText currentValue(ParseContext*, Token keyword, int which) {
  const char* value = which == T_DATE ? "CURRENT_DATE" : "CURRENT_TIMESTAMP";
  return textOf(add(nullptr, token(value, T_WORD, keyword.line)), bare);
}

ExprText plainText(ParseContext*, AstList* tokens) { return textOf(tokens); }

ExprText castText(ParseContext*, Token keyword, const ExprText& expression, Token asKeyword, AstList* datatype,
                  int32_t closeLine) {
  AstList* list = add(nullptr, token("CAST(", keyword.line));
  list = add(list, expression);
  list = add(list, token("AS", asKeyword.line));
  list = addTokens(list, datatype);
  return textOf(add(list, token(")", closeLine)));
}

ExprText fieldOfCall(ParseContext*, const ExprText& call, int32_t line, AstList* field) {
  AstList* list = add(call.tokens, token(".", line));
  return textOf(addTokens(list, field));
}

ExprText caseText(ParseContext*, Token keyword, const ExprText& selector, const ExprText& branches,
                  const ExprText& elseValue, Token end) {
  AstList* list = add(nullptr, token("CASE", keyword.line));
  list = add(list, selector);
  list = add(list, branches);
  list = add(list, elseValue);
  return textOf(add(list, token("END", end.line)));
}

ExprText searchedCaseText(ParseContext* ctx, Token keyword, const ExprText& branches, const ExprText& elseValue,
                          Token end) {
  return caseText(ctx, keyword, noText(ctx), branches, elseValue, end);
}

ExprText whenThenText(ParseContext* ctx, Token when, const ExprText& value, Token then, const ExprText& result) {
  return conditionThenText(ctx, when, value.tokens, then, result);
}

ExprText conditionThenText(ParseContext*, Token when, AstList* condition, Token then, const ExprText& result) {
  AstList* list = add(nullptr, token("WHEN", T_WHEN, when.line));
  list = addTokens(list, condition);
  list = add(list, token("THEN", T_THEN, then.line));
  return textOf(add(list, result));
}

ExprText elseText(ParseContext*, Token keyword, const ExprText& value) {
  return textOf(add(add(nullptr, token("ELSE", T_ELSE, keyword.line)), value));
}

ExprText existsText(ParseContext*, Token keyword, const ExprText& subSelect) {
  return textOf(add(add(nullptr, token("EXISTS", keyword.line)), subSelect));
}

ExprText literalText(ParseContext*, Token literal, int code) {
  return textOf(add(nullptr, token(literal.text, static_cast<uint32_t>(code), literal.line)));
}

// The scanner splits SQL%FOUND into its pieces around the '%'; the condition text keeps them joined.
ExprText sqlAttributeText(ParseContext*, AstList* pieces, int code) {
  size_t length = 1;
  for (AstListCell* cell = listHeadCell(pieces); cell != nullptr; cell = cell->next) {
    const char* piece = tokenText(cell->item);
    length += std::strlen(piece == nullptr ? "" : piece) + 1;
  }
  char* joined = static_cast<char*>(ctxAlloc(length));
  size_t used = 0;
  for (AstListCell* cell = listHeadCell(pieces); cell != nullptr; cell = cell->next) {
    const char* piece = tokenText(cell->item);
    if (piece == nullptr) piece = "";
    if (cell != listHeadCell(pieces)) joined[used++] = '%';
    const size_t pieceLength = std::strlen(piece);
    std::memcpy(joined + used, piece, pieceLength);
    used += pieceLength;
  }
  joined[used] = '\0';
  auto* attribute = makeNode<TokenNode>(astNodeToken, firstLine(pieces));
  attribute->code = static_cast<uint32_t>(code);
  attribute->text = joined;
  const bool isBareValue = code == T_SQL_FOUND || code == T_SQL_NOTFOUND;
  return textOf(add(nullptr, attribute), isBareValue ? bare : 0);
}

ExprText triggerPredicateText(ParseContext*, Token keyword, int code) {
  // UPDATING('column') keeps the column's name for the transformer, which writes the test.
  if (code == T_UPDATING_COLUMN) return textOf(add(nullptr, token(keyword.text, T_UPDATING_COLUMN, keyword.line)));
  const char* predicate = "UPDATING";
  if (code == T_DELETING) predicate = "DELETING";
  if (code == T_INSERTING) predicate = "INSERTING";
  return textOf(add(nullptr, token(predicate, static_cast<uint32_t>(code), keyword.line)));
}

ExprText callText(ParseContext*, AstList* name, int32_t openLine, const ExprText& arguments, int32_t closeLine) {
  AstList* list = add(name, token("(", openLine));
  list = add(list, arguments);
  return textOf(add(list, token(")", closeLine)), bare);
}

ExprText xmlCallText(ParseContext*, Token keyword, int code, int32_t openLine, AstList* tokens, int32_t closeLine) {
  AstList* list = add(nullptr, token(code == T_XMLCAST ? "XMLCAST" : "XMLPARSE", T_XMLPARSE, keyword.line));
  list = add(list, token("(", openLine));
  list = addTokens(list, tokens);
  return textOf(add(list, token(")", closeLine)));
}

ExprText subSelectText(ParseContext*, Token keyword, AstList* tokens, int32_t closeLine) {
  AstList* list = add(nullptr, token("(SELECT ", keyword.line));
  list = addTokens(list, tokens);
  return textOf(add(list, token(")", closeLine)));
}
