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

AstList* add(AstList* list, const Value& text) { return listConcat(list, listOf(text)); }

bool isBare(const Value& text) { return text.code == bare; }

// "(" operand " = TRUE)" for a bare value, the operand itself otherwise.
AstList* asPredicate(AstList* list, const Value& operand, int32_t line) {
  if (!isBare(operand)) return add(list, operand);
  list = add(list, token("(", line));
  list = add(list, operand);
  return add(list, token(" = TRUE)", line));
}

int32_t firstLine(const Value& text) {
  const auto* node = static_cast<const AstNode*>(listFirst(listOf(text)));
  return node == nullptr ? -1 : node->line;
}

TokenNode* firstToken(const Value& text) {
  auto* node = static_cast<AstNode*>(listFirst(listOf(text)));
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

Value finishCondition(ParseContext*, const Value& expression, const Value& line) {
  if (!isBare(expression)) return listValue(listOf(expression));
  return listValue(add(listOf(expression), token(" = TRUE", line.line)));
}

Value logicalOperator(ParseContext*, const Value& keyword, int code) {
  return nodeValue(token(code == T_OR ? "OR" : "AND", static_cast<uint32_t>(code), keyword.line));
}

Value joinLogical(ParseContext*, const Value& left, const Value& op, const Value& right) {
  auto* opToken = valueAs<TokenNode>(op);
  AstList* list = asPredicate(nullptr, left, firstLine(left));
  list = add(list, opToken);
  return listValue(asPredicate(list, right, opToken->line));
}

Value negateCondition(ParseContext*, const Value& keyword, const Value& operand) {
  if (!isBare(operand)) {
    return listValue(add(add(nullptr, token("NOT", T_NOT, keyword.line)), operand));
  }
  AstList* list = add(nullptr, token("NOT(", keyword.line));
  list = add(list, operand);
  return listValue(add(list, token(" = TRUE)", keyword.line)));
}

Value buildComparison(ParseContext*, const Value& left, const Value& op, const Value& right) {
  AstList* list = add(listOf(left), token(op.text, T_COMPARISON, op.line));
  return listValue(add(list, right));
}

Value buildLike(ParseContext*, const Value& left, const Value& negated, const Value& keyword, const Value& pattern,
                const Value& escape) {
  AstList* list = add(listOf(left), token(negated.code != 0 ? "NOT LIKE" : "LIKE", T_LIKE, keyword.line));
  list = add(list, pattern);
  return listValue(add(list, escape));
}

Value escapeText(ParseContext*, const Value& keyword, const Value& value) {
  return listValue(add(add(nullptr, token("ESCAPE", T_ESCAPE, keyword.line)), value));
}

Value buildIsNull(ParseContext*, const Value& left, const Value& keyword, const Value& negated) {
  return listValue(add(listOf(left), token(negated.code != 0 ? "IS NOT NULL" : "IS NULL", keyword.line)));
}

Value buildBetween(ParseContext*, const Value& left, const Value& negated, const Value& keyword, const Value& low,
                   const Value& andKeyword, const Value& high) {
  AstList* list = add(listOf(left), token(negated.code != 0 ? "NOT BETWEEN" : "BETWEEN", T_BETWEEN, keyword.line));
  list = add(list, low);
  list = add(list, token("AND", T_AND, andKeyword.line));
  return listValue(add(list, high));
}

Value buildInList(ParseContext*, const Value& left, const Value& negated, const Value& keyword, const Value& arguments,
                  const Value& closeLine) {
  AstList* list = add(listOf(left), token(negated.code != 0 ? "NOT IN" : "IN", T_IN, keyword.line));
  list = add(list, token("(", keyword.line));
  list = add(list, arguments);
  return listValue(add(list, token(")", closeLine.line)));
}

Value appendArgument(ParseContext*, const Value& arguments, const Value& comma, const Value& argument) {
  AstList* list = add(listOf(arguments), token(",", T_COMMA, comma.line));
  return listValue(add(list, argument));
}

Value namedArgument(ParseContext*, const Value& argName, const Value& expression) {
  return listValue(add(add(nullptr, token(argName.text, T_ARGNAME, argName.line)), expression));
}

Value concatText(ParseContext*, const Value& first, const Value& second) {
  return listValue(add(listOf(first), second), first.code);
}

Value signText(ParseContext*, const Value& sign) { return nodeValue(token(sign.text, sign.line)); }

Value operatorText(ParseContext*, const Value& op, int code) {
  return nodeValue(token(op.text, static_cast<uint32_t>(code), op.line));
}

Value characterOperator(ParseContext*, char op, const Value& line) {
  const char text[2] = {op, '\0'};
  return nodeValue(token(text, line.line));
}

Value joinBinary(ParseContext*, const Value& left, const Value& op, const Value& right) {
  AstList* list = add(listOf(left), valueAs<TokenNode>(op));
  return listValue(add(list, right));
}

Value applySign(ParseContext*, const Value& sign, const Value& operand) {
  auto* signToken = valueAs<TokenNode>(sign);
  TokenNode* number = firstToken(operand);
  if (listCount(listOf(operand)) == 1 && number != nullptr && number->code == T_DIGITS) {
    const size_t signLength = std::strlen(signToken->text);
    const size_t digitsLength = std::strlen(number->text);
    char* literal = static_cast<char*>(ctxAlloc(signLength + digitsLength + 1));
    std::memcpy(literal, signToken->text, signLength);
    std::memcpy(literal + signLength, number->text, digitsLength + 1);
    number->text = literal;
    return listValue(listOf(operand));
  }
  return listValue(add(add(nullptr, signToken), operand));
}

Value parenthesize(ParseContext*, const Value& open, const Value& expression, const Value& close) {
  AstList* list = add(nullptr, token("(", open.line));
  list = add(list, expression);
  return listValue(add(list, token(")", close.line)), expression.code);
}

Value nameValue(ParseContext*, const Value& name) {
  TokenNode* first = firstToken(name);
  if (first != nullptr) {
    const uint32_t code = diagnosticCodeOf(first->text);
    if (code != 0) {
      first->code = code;
      // The list now holds a token the transformer's prescan must see.
      if (AstList* list = listOf(name)) list->plainTokens = 0;
    }
  }
  return listValue(listOf(name), bare);
}

Value currentValue(ParseContext*, const Value& keyword, int which) {
  const char* text = which == T_DATE ? "CURRENT_DATE" : "CURRENT_TIMESTAMP";
  return listValue(add(nullptr, token(text, T_WORD, keyword.line)), bare);
}

Value plainText(ParseContext*, const Value& tokens) { return listValue(listOf(tokens)); }

Value castText(ParseContext*, const Value& keyword, const Value& expression, const Value& asKeyword,
               const Value& datatype, const Value& closeLine) {
  AstList* list = add(nullptr, token("CAST(", keyword.line));
  list = add(list, expression);
  list = add(list, token("AS", asKeyword.line));
  list = add(list, datatype);
  return listValue(add(list, token(")", closeLine.line)));
}

Value fieldOfCall(ParseContext*, const Value& call, const Value& line, const Value& field) {
  AstList* list = add(listOf(call), token(".", line.line));
  return listValue(add(list, field));
}

Value caseText(ParseContext*, const Value& keyword, const Value& selector, const Value& branches,
               const Value& elseValue, const Value& end) {
  AstList* list = add(nullptr, token("CASE", keyword.line));
  list = add(list, selector);
  list = add(list, branches);
  list = add(list, elseValue);
  return listValue(add(list, token("END", end.line)));
}

Value whenThenText(ParseContext*, const Value& when, const Value& condition, const Value& then, const Value& value) {
  AstList* list = add(nullptr, token("WHEN", T_WHEN, when.line));
  list = add(list, condition);
  list = add(list, token("THEN", T_THEN, then.line));
  return listValue(add(list, value));
}

Value elseText(ParseContext*, const Value& keyword, const Value& value) {
  return listValue(add(add(nullptr, token("ELSE", T_ELSE, keyword.line)), value));
}

Value existsText(ParseContext*, const Value& keyword, const Value& subSelect) {
  return listValue(add(add(nullptr, token("EXISTS", keyword.line)), subSelect));
}

Value literalText(ParseContext*, const Value& literal, int code) {
  return listValue(add(nullptr, token(literal.text, static_cast<uint32_t>(code), literal.line)));
}

// The scanner splits SQL%FOUND into its pieces around the '%'; the condition text keeps them joined.
Value sqlAttributeText(ParseContext*, const Value& pieces, int code) {
  AstList* parts = listOf(pieces);
  size_t length = 1;
  for (AstListCell* cell = listHeadCell(parts); cell != nullptr; cell = cell->next) {
    const char* text = tokenText(cell->item);
    length += std::strlen(text == nullptr ? "" : text) + 1;
  }
  char* joined = static_cast<char*>(ctxAlloc(length));
  size_t used = 0;
  for (AstListCell* cell = listHeadCell(parts); cell != nullptr; cell = cell->next) {
    const char* text = tokenText(cell->item);
    if (text == nullptr) text = "";
    if (cell != listHeadCell(parts)) joined[used++] = '%';
    const size_t pieceLength = std::strlen(text);
    std::memcpy(joined + used, text, pieceLength);
    used += pieceLength;
  }
  joined[used] = '\0';
  auto* attribute = makeNode<TokenNode>(astNodeToken, firstLine(pieces));
  attribute->code = static_cast<uint32_t>(code);
  attribute->text = joined;
  const bool isBareValue = code == T_SQL_FOUND || code == T_SQL_NOTFOUND;
  return listValue(add(nullptr, attribute), isBareValue ? bare : 0);
}

Value triggerPredicateText(ParseContext*, const Value& keyword, int code) {
  // UPDATING('column') keeps the column's name for the transformer, which writes the test.
  if (code == T_UPDATING_COLUMN) return listValue(add(nullptr, token(keyword.text, T_UPDATING_COLUMN, keyword.line)));
  const char* text = "UPDATING";
  if (code == T_DELETING) text = "DELETING";
  if (code == T_INSERTING) text = "INSERTING";
  return listValue(add(nullptr, token(text, static_cast<uint32_t>(code), keyword.line)));
}

Value callText(ParseContext*, const Value& name, const Value& openLine, const Value& arguments,
               const Value& closeLine) {
  AstList* list = add(listOf(name), token("(", openLine.line));
  list = add(list, arguments);
  return listValue(add(list, token(")", closeLine.line)), bare);
}

Value xmlCallText(ParseContext*, const Value& keyword, int code, const Value& openLine, const Value& tokens,
                  const Value& closeLine) {
  AstList* list = add(nullptr, token(code == T_XMLCAST ? "XMLCAST" : "XMLPARSE", T_XMLPARSE, keyword.line));
  list = add(list, token("(", openLine.line));
  list = add(list, tokens);
  return listValue(add(list, token(")", closeLine.line)));
}

Value subSelectText(ParseContext*, const Value& keyword, const Value& tokens, const Value& closeLine) {
  AstList* list = add(nullptr, token("(SELECT ", keyword.line));
  list = add(list, tokens);
  return listValue(add(list, token(")", closeLine.line)));
}
