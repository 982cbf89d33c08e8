# Writes the grammar's token enumeration, and only that, into a header of its own, so that the stages
# that need token codes (scanner, transformer, emitter) do not see the parser's value type and with it
# the scanner's state. The block is copied as bison wrote it, guarded by bison's own YYTOKENTYPE, so the
# parser can include both headers. Also writes XCOMP_TOKENS(X), one X(T_NAME) per named token in code
# order, for tables that must list every token.
# Usage: cmake -DGRAMMAR_HEADER=grammar.hpp -DOUTPUT=token_enum.h -P extract_tokens.cmake
file(READ ${GRAMMAR_HEADER} header)
string(FIND "${header}" "#ifndef YYTOKENTYPE" begin)
string(FIND "${header}" "typedef enum yytokentype yytoken_kind_t;" typedefAt)
if(begin EQUAL -1 OR typedefAt EQUAL -1)
  message(FATAL_ERROR "no token enumeration in ${GRAMMAR_HEADER}")
endif()
string(SUBSTRING "${header}" ${typedefAt} -1 afterTypedef)
string(FIND "${afterTypedef}" "#endif" endifAt)
math(EXPR length "${typedefAt} + ${endifAt} + 6 - ${begin}")
string(SUBSTRING "${header}" ${begin} ${length} block)

string(REGEX MATCHALL "T_[A-Za-z0-9_]+ = [0-9]+" entries "${block}")
set(xlist "")
foreach(entry ${entries})
  string(REGEX REPLACE " = [0-9]+" "" name "${entry}")
  string(APPEND xlist " \\\n  X(${name})")
endforeach()

set(text "/* Generated from the grammar's header; do not edit. */\n#ifndef XCOMP_TOKEN_ENUM_H\n#define XCOMP_TOKEN_ENUM_H\n")
string(APPEND text "${block}\n\n#define XCOMP_TOKENS(X)${xlist}\n\n#endif\n")
# Rewritten only when it changes, so that a grammar edit that keeps the tokens rebuilds nothing else.
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
  if(old STREQUAL text)
    return()
  endif()
endif()
file(WRITE ${OUTPUT} "${text}")
