/* grammar.y - the PL/SQL grammar: token codes, productions and the calls that build the syntax tree.
 * A pure bison parser (C skeleton compiled as C++) that reads tokens only through the token stream
 * and hands each production's work to one helper in decl_actions.cpp / stmt_actions.cpp.
 * The order of the %token list fixes the token codes (258 upward) shared with the scanner. */

%define api.pure full
%define api.value.type {TokenValue}
%define parse.error verbose
%parse-param {ParseContext* ctx}
%lex-param {ParseContext* ctx}

%code requires {
#include "lexer/lexer.h"
}

%code {
static int yylex(YYSTYPE* value, ParseContext* ctx) { return fetchToken(value, ctx); }
static void yyerror(ParseContext* ctx, const char* message);
}

%token T_no_lookahead
%token T_lexical_error
%token T_DIGITS
%token T_HEXLIT
%token T_NUMERICNO
%token T_COMPARISON
%token T_ARGNAME
%token T_TRIG_VAR
%token T_SQL_NOTFOUND
%token T_SQL_FOUND
%token T_SQL_ROWCOUNT
%token T_STRING
%token T_DTYPE
%token T_WORD
%token T_PERCENT_TYPE
%token T_PERCENT_ROWTYPE
%token T_EXECUTE
%token T_PRAGMA
%token T_AFTER
%token T_ALIAS
%token T_AUTHID
%token T_AUTONOMOUS_XACT
%token T_DETERMINISTIC
%token T_PIPELINED
%token T_INDEX
%token T_BY
%token T_ORDER
%token T_CLUSTER
%token T_PARALLEL_ENABLE
%token T_PARTITION
%token T_HASH
%token T_ANY
%token T_LABEL_BEG
%token T_LABEL_END
%token T_DECLARE
%token T_BEGIN
%token T_END
%token T_ASSIGN
%token T_DOTDOT
%token T_CONCAT
%token T_DCOLON
%token T_PLUS
%token T_MINUS
%token T_IF
%token T_THEN
%token T_ELSIF
%token T_ELSE
%token T_WHEN
%token T_OR
%token T_NOT
%token T_LOOP
%token T_WHILE
%token T_REVERSE
%token T_FOR
%token T_SELECT
%token T_FROM
%token T_INTO
%token T_WHERE
%token T_USING
%token T_INSERT
%token T_UPDATE
%token T_DELETE
%token T_MERGE
%token T_LOCK
%token T_TRUNCATE
%token T_SAVEPOINT
%token T_CURSOR_NOTFOUND
%token T_CURSOR_FOUND
%token T_CURSOR_ROWCOUNT
%token T_CURSOR_ISOPEN
%token T_OPEN
%token T_CLOSE
%token T_CURSOR
%token T_IS
%token T_FETCH
%token T_PIPE
%token T_DELETING
%token T_INSERTING
%token T_UPDATING
%token T_EXIT
%token T_EXISTS
%token T_IN
%token T_SQLCODE
%token T_SQLERRM
%token T_SQLERRMFUNC
%token T_EXCEPTION
%token T_SQLSTATE
%token T_NULL
%token T_COMMIT
%token T_ROLLBACK
%token T_RETURN
%token T_START
%token T_TRANSACTION
%token T_RETURNING
%token T_CASE
%token T_CAST
%token T_CONTINUE
%token T_IMMEDIATE
%token T_RAISE
%token T_READS_SQL_DATA
%token T_TYPE
%token T_RECORD
%token T_REFCURSOR
%token T_VARRAY
%token T_OBJECT
%token T_PROCEDURE
%token T_CREATE
%token T_FUNCTION
%token T_DROP
%token T_AS
%token T_REPLACE
%token T_CURRENT_USER
%token T_DEFINER
%token T_CURRENT
%token T_DATE
%token T_TIMESTAMP
%token T_COMMA
%token T_TERMINATOR
%token T_COMMENT_SEMI
%token T_OUT
%token T_GOTO
%token T_DEFAULT
%token T_CONSTANT
%token T_NOCOPY
%token T_EXCEPTION_INIT
%token T_NUV_EXCEPTION_INIT
%token T_PACKAGE
%token T_BODY
%token T_TRIGGER
%token T_BEFORE
%token T_INSTEAD
%token T_OF
%token T_REFERENCING
%token T_OLD
%token T_NEW
%token T_ON
%token T_PARENT
%token T_EACH
%token T_ROW
%token T_STATEMENT
%token T_FOLLOWS
%token T_DISABLE
%token T_COMPOUND
%token T_BULK
%token T_COLLECT
%token T_LIMIT
%token T_WITH
%token T_FORALL
%token T_INDICES
%token T_VALUES
%token T_TABLE
%token T_AND
%token T_BETWEEN
%token T_EXPO
%token T_LIKE
%token T_ESCAPE
%token T_RANGE
%token T_SUBTYPE
%token T_XMLPARSE
%token T_XMLCAST

%start program_list

%%

program_list
    : %empty
    ;

%%

static void yyerror(ParseContext* ctx, const char* message)
{
    (void)ctx;
    (void)message;
}
