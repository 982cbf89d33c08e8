/* grammar.y - the PL/SQL grammar: token codes, productions and the calls that build the syntax tree.
 * A pure bison parser (C skeleton compiled as C++). It reads tokens only through the token stream and
 * hands each production's work to one helper in decl_actions.cpp / stmt_actions.cpp.
 * The rule order is part of the interface: rule numbers are what the trace and the tests name, and the
 * order of the %token list fixes the token codes (258 upward) shared with the scanner. */

%define api.pure full
/* The message is built by yyreport_syntax_error below, from the state in which the unexpected token
   was read rather than the one the parser reached by default reductions after reading it. */
%define parse.error custom
%define parse.trace
%parse-param {ParseContext* ctx}
%lex-param {ParseContext* ctx}

%code requires {
#include "lexer/lexer.h"
#include "parser/grammar_values.h"
}

/* What each symbol carries; bison checks every $n against it. The scanner fills `tok`, and a token
   whose value is a token list (a name, SQL%FOUND) is read back through `list`, which shares its
   storage with the record's own list. */
%union {
  TokenValue tok;        /* a token's text, code and line, or a value built like one */
  AstList* list;         /* a name, a token list, a list of statements or declarations */
  AstNode* node;         /* one node of the tree */
  TokenNode* tokenNode;  /* one operator token of an expression */
  ExprText expr;         /* an expression's text and whether it is a bare value */
  DeclGroups* groups;    /* a declaration section while it is read */
  int32_t line;          /* a zero-based source line */
  int32_t flag;          /* a flag or a small enumerated value */
}

%code {
#include "parser/actions.h"

/* The stacks start on yyparse's frame; deeper nesting moves them to the compilation's pool, so pool
   exhaustion unwinding through the parse leaves nothing behind. */
#define YYINITDEPTH 200
#define YYMAXDEPTH 10000
#define YYMALLOC parserStackAlloc
#define YYFREE parserStackFree
/* Tokens come only through the token stream, which puts its one-token pushback first; the parser's
   state at that moment is kept for the syntax-error message. */
#define yylex readLookahead

static void yyerror(ParseContext* ctx, const char* message);
}

%initial-action { ctx->parserState = newParserPosition(&yystate); }

/* The grammar is conflict-free; a change that adds a shift/reduce conflict fails the build here, and
   the build treats any reduce/reduce conflict as an error (%expect-rr is for GLR parsers only). */
%expect 0

/* The character tokens first, in code order, so that every list of expected tokens the parser writes
   comes out in token-number order. */
%token '(' ')' '*' '.' '/' ';'
%token T_no_lookahead
%token T_lexical_error
%token <tok> T_DIGITS
%token <tok> T_HEXLIT
%token <tok> T_NUMERICNO
%token <tok> T_COMPARISON
%token <tok> T_ARGNAME
%token <list> T_TRIG_VAR
%token <list> T_SQL_NOTFOUND
%token <list> T_SQL_FOUND
%token <list> T_SQL_ROWCOUNT
%token <tok> T_STRING
%token <list> T_DTYPE
%token <list> T_WORD
%token T_PERCENT_TYPE
%token T_PERCENT_ROWTYPE
%token <tok> T_EXECUTE
%token <tok> T_PRAGMA
%token <tok> T_AFTER
%token <tok> T_ALIAS
%token <tok> T_AUTHID
%token <tok> T_AUTONOMOUS_XACT
%token <tok> T_DETERMINISTIC
%token <tok> T_PIPELINED
%token <tok> T_INDEX
%token <tok> T_BY
%token <tok> T_ORDER
%token T_CLUSTER
%token T_PARALLEL_ENABLE
%token <tok> T_PARTITION
%token <tok> T_HASH
%token <tok> T_ANY
%token T_LABEL_BEG
%token T_LABEL_END
%token <tok> T_DECLARE
%token <tok> T_BEGIN
%token <tok> T_END
%token T_ASSIGN
%token <tok> T_DOTDOT
%token <tok> T_CONCAT
%token T_DCOLON
%token <tok> T_PLUS
%token <tok> T_MINUS
%token <tok> T_IF
%token <tok> T_THEN
%token <tok> T_ELSIF
%token <tok> T_ELSE
%token <tok> T_WHEN
%token <tok> T_OR
%token <tok> T_NOT
%token <tok> T_LOOP
%token <tok> T_WHILE
%token <tok> T_REVERSE
%token <tok> T_FOR
%token <tok> T_SELECT
%token <tok> T_FROM
%token <tok> T_INTO
%token <tok> T_WHERE
%token <tok> T_USING
%token <tok> T_INSERT
%token <tok> T_UPDATE
%token <tok> T_DELETE
%token <tok> T_MERGE
%token <tok> T_LOCK
%token <tok> T_TRUNCATE
%token <tok> T_SAVEPOINT
%token <tok> T_CURSOR_NOTFOUND
%token <tok> T_CURSOR_FOUND
%token <tok> T_CURSOR_ROWCOUNT
%token <tok> T_CURSOR_ISOPEN
%token <tok> T_OPEN
%token <tok> T_CLOSE
%token <tok> T_CURSOR
%token <tok> T_IS
%token <tok> T_FETCH
%token <tok> T_PIPE
%token <tok> T_DELETING
%token <tok> T_INSERTING
%token <tok> T_UPDATING
%token <tok> T_EXIT
%token <tok> T_EXISTS
%token <tok> T_IN
%token <tok> T_SQLCODE
%token <tok> T_SQLERRM
%token <tok> T_SQLERRMFUNC
%token <tok> T_EXCEPTION
%token <tok> T_SQLSTATE
%token <tok> T_NULL
%token <tok> T_COMMIT
%token <tok> T_ROLLBACK
%token <tok> T_RETURN
%token <tok> T_START
%token <tok> T_TRANSACTION
%token <tok> T_RETURNING
%token <tok> T_CASE
%token <tok> T_CAST
%token <tok> T_CONTINUE
%token <tok> T_IMMEDIATE
%token <tok> T_RAISE
%token T_READS_SQL_DATA
%token <tok> T_TYPE
%token <tok> T_RECORD
%token <tok> T_REFCURSOR
%token <tok> T_VARRAY
%token <tok> T_OBJECT
%token <tok> T_PROCEDURE
%token <tok> T_CREATE
%token <tok> T_FUNCTION
%token <tok> T_DROP
%token <tok> T_AS
%token <tok> T_REPLACE
%token <tok> T_CURRENT_USER
%token <tok> T_DEFINER
%token <tok> T_CURRENT
%token <tok> T_DATE
%token <tok> T_TIMESTAMP
%token <tok> T_COMMA
%token T_TERMINATOR
%token <tok> T_COMMENT_SEMI
%token <tok> T_OUT
%token <tok> T_GOTO
%token <tok> T_DEFAULT
%token <tok> T_CONSTANT
%token <tok> T_NOCOPY
%token <tok> T_EXCEPTION_INIT
%token T_NUV_EXCEPTION_INIT
%token <tok> T_PACKAGE
%token <tok> T_BODY
%token <tok> T_TRIGGER
%token <tok> T_BEFORE
%token <tok> T_INSTEAD
%token <tok> T_OF
%token <tok> T_REFERENCING
%token <tok> T_OLD
%token <tok> T_NEW
%token <tok> T_ON
%token <tok> T_PARENT
%token <tok> T_EACH
%token <tok> T_ROW
%token <tok> T_STATEMENT
%token <tok> T_FOLLOWS
%token <tok> T_DISABLE
%token <tok> T_COMPOUND
%token <tok> T_BULK
%token <tok> T_COLLECT
%token <tok> T_LIMIT
%token <tok> T_WITH
%token <tok> T_FORALL
%token <tok> T_INDICES
%token <tok> T_VALUES
%token <tok> T_TABLE
%token <tok> T_AND
%token <tok> T_BETWEEN
%token <tok> T_EXPO
%token <tok> T_LIKE
%token <tok> T_ESCAPE
%token T_RANGE
%token T_SUBTYPE
%token <tok> T_XMLPARSE
%token <tok> T_XMLCAST
/* FUNCTION where only a declaration can start: the token stream hands it over only when the
   nested-functions extension is on, so without it no state ever sees this code. */
%token <tok> T_NESTED_FUNCTION
/* UPDATING('column'), read as one token only when the updating-columns extension is on; its text is
   the column's name. */
%token <tok> T_UPDATING_COLUMN

/* The value each nonterminal carries (see the %union above). */
%type <list> programs pkg_members pkg_member_list pkg_prototypes pkg_proto_list first_decl_sect decl_sect
           opt_range_expr cursor_decl_begin cursor_decl_end record_decl simple_decls decl_datatype
           formal_arg_type opt_arg_dflt proc_stmts proc_stmt_list loop_body exp_until_dotdot
           exp_until_forall_body immediate_exp opt_into_clause fetch_into_clause opt_using_clause using_list
           exp_until_comma_return opt_return_clause exp_until_semi exp_until_semi_or_comment
           opt_index_by_datatype opt_exp_until_semi optCTE else_sect exp_until_then exp_until_select
           exp_until_using opt_open_using exp_until_loop select_target into_clause exp_until_from from_clause
           proc_exceptions proc_conditions opt_target opt_label optEndName opt_rec_colname actual_args
           opt_formal_args formal_args case_exprs bool_case_exprs exp_until_rparen optFunctionOpts
           functionOpts optColumnList columnList optCondition optReferencing referencingList optFollows
           cursor_for bool_expr trailing_argument_tokens varKeyword typeKeyword schemaKeyword declVarName
           varName typeName schemaObjectName cursorName triggerName procedureName functionName packageName
           exceptionName labelName exception_sect opt_when_expr
%type <node> program create_proc_stmt procedure create_func_stmt function create_pkg_stmt drop_pkg_stmt
           drop_pkg_head drop_pkg_body create_pkg_head create_pkg_body constructor pkg_member pkg_prototype
           proc_prototype func_prototype program_body pl_block trigger_body block simple_decl varray_type_decl
           create_type_stmt subtype_stmt decl_stmt proc_stmt labeled_stmt stmt_pragma stmt_assign stmt_if
           stmt_loop stmt_while stmt_fetch stmt_close stmt_pipe stmt_open stmt_exit stmt_continue stmt_goto
           stmt_for stmt_forall forall_body stmt_null stmt_return stmt_case stmt_dynexecute using_param
           stmt_raise stmt_select stmt_create_trigger selectExpr selectWithParens selectNoParens elseif_sect
           stmt_execsql_udi stmt_execsql proc_exception param_exp formal_arg simple_func_expr case_expr
           bool_case_expr case_default functionOpt referenceClause
%type <tokenNode> or_and plus_minus binary_operator
%type <groups> decl_stmts
%type <line> tok_BEGIN tok_END lno
%type <flag> create_type opt_notnull optConstant opt_bulk_collect indices_or_values opt_mode optNoCopy
           optReverse opt_or_replace opt_readsSqlData triggerPoint optForEach optDisable optCompound opt_not
%type <tok> as_is authid opt_authid triggerEvents triggerEvent opt_assign varrayDim signedInteger
%type <expr> expression possibly_negated value_or_comparison arguments argument value_expr basic_expr
           func_call sub_select when_then_list when_then bool_when_then_list bool_when_then opt_else_expr
           opt_escape opt_dflt_value opt_limit_clause

%start program_list

%%

/* ---- programs ---- */

program_list
    : programs                          { setProgramRoot(ctx, $1); }
    ;

programs
    : programs program                  { $$ = appendProgram(ctx, $1, $2); }
    | program                           { $$ = startPrograms(ctx, $1); }
    ;

program
    : create_proc_stmt
    | create_func_stmt
    | create_pkg_stmt
    | create_type_stmt optSemiColon
    | drop_pkg_stmt optSemiColon
    | stmt_create_trigger
    | stmt_pragma optSemiColon
    | pl_block                          { $$ = markAnonymousBlock(ctx, $1); }
    | T_TERMINATOR                      { $$ = nullptr; }
    ;

/* CREATE OR REPLACE PROCEDURE p (a NUMBER) IS BEGIN NULL; END; */
create_proc_stmt
    : T_CREATE opt_or_replace procedure optSemiColon
                                        { $$ = finishCreateProc(ctx, $3, $1, $2); }
    ;

procedure
    : T_PROCEDURE procedureName opt_formal_args opt_authid opt_readsSqlData as_is program_body
                                        { $$ = buildProcedure(ctx, $1, $2, $3, $4, $5, $7); }
    ;

create_func_stmt
    : T_CREATE opt_or_replace function optSemiColon
                                        { $$ = finishCreateFunc(ctx, $3, $1, $2); }
    ;

/* FUNCTION f (a NUMBER) RETURN NUMBER DETERMINISTIC IS BEGIN RETURN a; END f */
function
    : T_FUNCTION functionName opt_formal_args T_RETURN formal_arg_type optFunctionOpts as_is program_body
                                        { $$ = buildFunction(ctx, $1, $2, $3, $5, $6, $8); }
    ;

create_pkg_stmt
    : create_pkg_head
    | create_pkg_body
    ;

drop_pkg_stmt
    : drop_pkg_head
    | drop_pkg_body
    ;

drop_pkg_head
    : T_DROP T_PACKAGE packageName opt_exp_until_semi
                                        { $$ = buildDropPkgHead(ctx, $1, $3, $4); }
    | T_DROP T_FUNCTION functionName    { $$ = droppedRoutine(ctx); }
    | T_DROP T_PROCEDURE procedureName  { $$ = droppedRoutine(ctx); }
    ;

drop_pkg_body
    : T_DROP T_PACKAGE T_BODY packageName
                                        { $$ = buildDropPkgBody(ctx, $1, $4); }
    ;

create_pkg_head
    : T_CREATE opt_or_replace T_PACKAGE packageName opt_authid as_is pkg_prototypes optEndName optSemiColon
                                        { $$ = buildPkgHead(ctx, $1, $2, $4, $5, $7); }
    ;

create_pkg_body
    : T_CREATE opt_or_replace T_PACKAGE T_BODY packageName as_is pkg_members optEndName optSemiColon
                                        { $$ = buildPkgBody(ctx, $1, $2, $5, $7); }
    ;

pkg_members
    : pkg_member_list T_END
    | pkg_member_list constructor       { $$ = appendItem(ctx, $1, $2); }
    | constructor                       { $$ = startList(ctx, $1); }
    | T_END                             { $$ = nullptr; }
    ;

pkg_member_list
    : pkg_member_list pkg_member        { $$ = appendItem(ctx, $1, $2); }
    | pkg_member                        { $$ = startList(ctx, $1); }
    ;

tok_BEGIN
    : T_BEGIN                           { $$ = enterBlock(ctx, $1); }
    ;

tok_END
    : T_END                             { $$ = leaveBlock(ctx, $1); }
    ;

/* the initialization part of a package body: BEGIN init; END */
constructor
    : tok_BEGIN proc_stmts exception_sect tok_END
                                        { $$ = buildBeginBlock(ctx, $1, $2, $3); }
    ;

pkg_member
    : function ';'
    | decl_stmt
    | func_prototype
    | proc_prototype
    ;

pkg_prototypes
    : pkg_proto_list T_END
    | T_END                             { $$ = nullptr; }
    ;

pkg_proto_list
    : pkg_proto_list pkg_prototype      { $$ = appendItem(ctx, $1, $2); }
    | pkg_prototype                     { $$ = startList(ctx, $1); }
    ;

pkg_prototype
    : func_prototype
    | proc_prototype
    | decl_stmt
    ;

proc_prototype
    : T_PROCEDURE procedureName opt_formal_args ';'
                                        { $$ = buildProcProto(ctx, $1, $2, $3); }
    ;

func_prototype
    : T_FUNCTION functionName opt_formal_args T_RETURN formal_arg_type optFunctionOpts ';'
                                        { $$ = buildFuncProto(ctx, $1, $2, $3, $5, $6); }
    ;

program_body
    : first_decl_sect tok_BEGIN proc_stmts exception_sect tok_END optEndName
                                        { $$ = buildProgramBody(ctx, $1, $2, $3, $4); }
    ;

first_decl_sect
    : decl_sect
    | T_DECLARE decl_sect               { $$ = $2; }
    ;

pl_block
    : block optSemiColon
    ;

trigger_body
    : block optEndName optSemiColon
    ;

block
    : T_DECLARE decl_sect tok_BEGIN proc_stmts exception_sect tok_END
                                        { $$ = buildDeclareBlock(ctx, $1, $2, $4, $5); }
    | tok_BEGIN proc_stmts exception_sect tok_END
                                        { $$ = buildBeginBlock(ctx, $1, $2, $3); }
    ;

/* ---- declarations ---- */

decl_sect
    : %empty                            { $$ = nullptr; }
    | decl_stmts                        { $$ = finishDeclarations(ctx, $1); }
    ;

decl_stmts
    : decl_stmts decl_stmt              { $$ = addDeclaration(ctx, $1, $2); }
    | decl_stmt                         { $$ = startDeclarations(ctx, $1); }
    ;

/* x CONSTANT NUMBER(5) NOT NULL := 1 */
simple_decl
    : declVarName lno optConstant decl_datatype opt_notnull opt_dflt_value
                                        { $$ = buildVarDecl(ctx, $1, $2, $3, $4, $5, $6); }
    ;

/* v IS VARRAY(10) OF NUMBER */
varray_type_decl
    : declVarName as_is T_VARRAY varrayDim T_OF decl_datatype
                                        { $$ = buildVarrayDecl(ctx, $1, $3, $4, $6); }
    ;

create_type_stmt
    : create_type lno varray_type_decl  { $$ = buildCreateType(ctx, $1, $2, $3); }
    | create_type lno declVarName as_is T_OBJECT record_decl
                                        { $$ = buildCreateObjectType(ctx, $1, $2, $3, $6); }
    | create_type lno declVarName as_is T_TABLE T_OF decl_datatype
                                        { $$ = buildCreateTableType(ctx, $1, $2, $3, $7); }
    ;

create_type
    : T_CREATE opt_or_replace T_TYPE    { $$ = beginCreateType(ctx, $2); }
    ;

/* SUBTYPE small IS NUMBER RANGE 0 .. 9 NOT NULL */
subtype_stmt
    : T_SUBTYPE lno declVarName T_IS decl_datatype opt_range_expr opt_notnull
                                        { $$ = buildSubtype(ctx, $2, $3, $5, $6, $7); }
    ;

opt_range_expr
    : %empty                            { $$ = nullptr; }
    | T_RANGE value_expr T_DOTDOT value_expr
                                        { $$ = subtypeRange(ctx, $2, $3, $4); }
    ;

decl_stmt
    : simple_decl ';'
    | cursor_decl_begin lno cursor_decl_end
                                        { $$ = buildCursorDecl(ctx, $1, $2, $3); }
    | cursor_decl_begin lno '(' formal_args ')' cursor_decl_end
                                        { $$ = buildCursorDeclWithArgs(ctx, $1, $2, $4, $6); }
    | T_TYPE declVarName T_IS T_RECORD record_decl ';'
                                        { $$ = buildRecordType(ctx, $1, $2, $5); }
    | T_TYPE declVarName as_is T_TABLE T_OF decl_datatype opt_index_by_datatype ';'
                                        { $$ = buildTableType(ctx, $1, $2, $6, $7); }
    | T_TYPE declVarName T_IS T_REFCURSOR ';'
                                        { $$ = buildRefCursorType(ctx, $1, $2); }
    | T_TYPE declVarName T_IS T_REFCURSOR T_RETURN decl_datatype ';'
                                        { $$ = buildStrongRefCursorType(ctx, $1, $2, $6); }
    | T_TYPE varray_type_decl ';'       { $$ = $2; }
    | declVarName lno T_EXCEPTION ';'   { $$ = buildExceptionDecl(ctx, $1, $2); }
    | T_PRAGMA T_EXCEPTION_INIT '(' exceptionName T_COMMA signedInteger ')' ';'
                                        { $$ = buildExceptionInit(ctx, $1, $4, $6); }
    | T_PRAGMA T_NUV_EXCEPTION_INIT '(' exceptionName T_COMMA T_STRING ')' ';'
                                        { $$ = buildSqlstateExceptionInit(ctx, $1, $4, $6); }
    | T_PRAGMA T_AUTONOMOUS_XACT ';'    { $$ = buildAutonomousPragma(ctx, $1); }
    | procedure ';'
    | subtype_stmt ';'
    ;

cursor_decl_begin
    : T_CURSOR                          { setCommentBeforeSemicolon(ctx, true); }
      cursorName                        { $$ = $3; }
    ;

cursor_decl_end
    : T_IS exp_until_semi_or_comment ';'
                                        { $$ = finishCursorQuery(ctx, $2); }
    | T_IS exp_until_semi_or_comment T_COMMENT_SEMI ';'
                                        { $$ = finishCursorQueryWithComment(ctx, $2, $3); }
    ;

record_decl
    : '(' simple_decls ')'              { $$ = $2; }
    ;

simple_decls
    : simple_decls T_COMMA simple_decl  { $$ = appendItem(ctx, $1, $3); }
    | simple_decl                       { $$ = startList(ctx, $1); }
    ;

decl_datatype
    : typeName                          { $$ = readDeclDatatype(ctx, &yylval.tok, &yychar, $1); }
    ;

formal_arg_type
    : typeName                          { $$ = readFormalArgType(ctx, &yylval.tok, &yychar, $1); }
    ;

opt_notnull
    : %empty                            { $$ = flagValue(ctx, 0); }
    | T_NOT T_NULL                      { $$ = flagValue(ctx, 1); }
    ;

opt_dflt_value
    : %empty                            { $$ = noText(ctx); }
    | T_ASSIGN expression               { $$ = $2; }
    | T_DEFAULT expression              { $$ = $2; }
    ;

optConstant
    : %empty                            { $$ = flagValue(ctx, 0); }
    | T_CONSTANT                        { $$ = flagValue(ctx, 1); }
    ;

opt_arg_dflt
    : %empty                            { $$ = nullptr; }
    | T_DEFAULT                         { $$ = readArgDefault(ctx, &yylval.tok, &yychar); }
    | T_ASSIGN                          { $$ = readArgDefault(ctx, &yylval.tok, &yychar); }
    ;

/* ---- statements ---- */

proc_stmts
    : proc_stmt_list
    | lno                               { $$ = emptyStatementPart(ctx, $1); }
    ;

proc_stmt_list
    : proc_stmt_list proc_stmt          { $$ = appendItem(ctx, $1, $2); }
    | proc_stmt                         { $$ = startList(ctx, $1); }
    ;

proc_stmt
    : opt_label labeled_stmt            { $$ = labelStatement(ctx, $1, $2); }
    ;

labeled_stmt
    : stmt_assign
    | pl_block
    | stmt_if
    | stmt_loop
    | stmt_while
    | stmt_select                       { $$ = finishEmbeddedSql(ctx, $1); }
    | stmt_execsql ';'                  { $$ = finishEmbeddedSql(ctx, $1); }
    | stmt_execsql T_COMMENT_SEMI ';'   { $$ = finishSqlStmtWithComment(ctx, $1, $2); }
    | stmt_fetch
    | stmt_close
    | stmt_pipe
    | stmt_open                         { $$ = finishEmbeddedSql(ctx, $1); }
    | stmt_exit
    | stmt_continue
    | stmt_goto
    | stmt_for
    | stmt_forall
    | param_exp ';'
    | stmt_null
    | stmt_return
    | simple_func_expr
    | stmt_case
    | stmt_dynexecute
    | stmt_raise
    | stmt_pragma
    ;

/* PRAGMA ALIAS NUMBER := 'DECFLOAT' */
stmt_pragma
    : T_PRAGMA T_ALIAS decl_datatype T_ASSIGN T_STRING
                                        { $$ = buildAliasPragma(ctx, $1, $3, $5); }
    ;

stmt_assign
    : varName lno T_ASSIGN exp_until_semi ';'
                                        { $$ = buildAssign(ctx, $1, $2, $4); }
    | T_TRIG_VAR lno T_ASSIGN exp_until_semi ';'
                                        { $$ = buildAssign(ctx, $1, $2, $4); }
    ;

stmt_if
    : T_IF bool_expr T_THEN proc_stmts elseif_sect else_sect T_END T_IF ';'
                                        { $$ = buildIf(ctx, $1, $2, $4, $5, $6); }
    ;

stmt_loop
    : T_LOOP loop_body ';'              { $$ = buildLoop(ctx, $1, $2); }
    ;

stmt_while
    : T_WHILE bool_expr T_LOOP loop_body ';'
                                        { $$ = buildWhile(ctx, $1, $2, $4); }
    ;

stmt_fetch
    : T_FETCH cursorName opt_bulk_collect fetch_into_clause opt_limit_clause ';'
                                        { $$ = buildFetch(ctx, $1, $2, $3, $4, $5); }
    ;

stmt_close
    : T_CLOSE cursorName ';'            { $$ = buildClose(ctx, $1, $2); }
    ;

stmt_pipe
    : T_PIPE T_ROW opt_exp_until_semi ';'
                                        { $$ = buildPipe(ctx, $1, $3); }
    ;

cursor_for
    : cursorName T_FOR                  { $$ = beginCursorFor(ctx, $1); }
    ;

stmt_open
    : T_OPEN cursorName ';'             { $$ = buildOpen(ctx, $1, $2); }
    | T_OPEN cursor_for selectExpr ';'  { $$ = buildOpenForSelect(ctx, $1, $2, $3); }
    | T_OPEN cursor_for selectExpr T_COMMENT_SEMI ';'
                                        { $$ = buildOpenForSelectWithComment(ctx, $1, $2, $3, $4); }
    | T_OPEN cursor_for exp_until_using opt_open_using ';'
                                        { $$ = buildOpenForText(ctx, $1, $2, $3, $4); }
    | T_OPEN cursor_for exp_until_using opt_open_using T_COMMENT_SEMI ';'
                                        { $$ = buildOpenForTextWithComment(ctx, $1, $2, $3, $4, $5); }
    | T_OPEN cursorName '(' actual_args ')' ';'
                                        { $$ = buildOpenWithArgs(ctx, $1, $2, $4); }
    ;

stmt_exit
    : T_EXIT opt_target opt_when_expr ';'
                                        { $$ = buildExit(ctx, $1, $2, $3); }
    ;

stmt_continue
    : T_CONTINUE opt_target opt_when_expr ';'
                                        { $$ = buildContinue(ctx, $1, $2, $3); }
    ;

stmt_goto
    : T_GOTO labelName ';'              { $$ = buildGoto(ctx, $1, $2); }
    ;

/* FOR i IN REVERSE 1 .. n LOOP ... END LOOP; */
stmt_for
    : T_FOR varName T_IN optReverse exp_until_loop loop_body ';'
                                        { $$ = buildFor(ctx, $1, $2, $4, $5, $6); }
    ;

/* FORALL i IN 1 .. n INSERT INTO t VALUES (a(i)); */
stmt_forall
    : T_FORALL varName T_IN exp_until_dotdot T_DOTDOT exp_until_forall_body forall_body
                                        { $$ = buildForallRange(ctx, $1, $2, $4, $5, $6, $7); }
    | T_FORALL varName T_IN indices_or_values T_OF exp_until_forall_body forall_body
                                        { $$ = buildForallCollection(ctx, $1, $2, $4, $6, $7); }
    ;

indices_or_values
    : T_INDICES                         { $$ = flagValue(ctx, forallIndicesOf); }
    | T_VALUES                          { $$ = flagValue(ctx, forallValuesOf); }
    ;

exp_until_dotdot
    : %empty                            { $$ = readForallLowerBound(ctx, &yylval.tok, &yychar); }
    ;

exp_until_forall_body
    : %empty                            { $$ = readForallUpperBound(ctx, &yylval.tok, &yychar); }
    ;

forall_body
    : stmt_execsql_udi ';'              { $$ = finishEmbeddedSql(ctx, $1); }
    | stmt_dynexecute
    ;

stmt_null
    : T_NULL ';'                        { $$ = buildNull(ctx, $1); }
    ;

stmt_return
    : T_RETURN opt_exp_until_semi ';'   { $$ = buildReturn(ctx, $1, $2); }
    ;

stmt_case
    : T_CASE expression case_exprs case_default T_END T_CASE optEndName ';'
                                        { $$ = buildCase(ctx, $1, $2, $3, $4); }
    | T_CASE bool_case_exprs case_default T_END T_CASE optEndName ';'
                                        { $$ = buildSearchedCase(ctx, $1, $2, $3); }
    ;

/* EXECUTE IMMEDIATE 'UPDATE t SET a = :1' USING IN x RETURNING INTO y; */
stmt_dynexecute
    : T_EXECUTE T_IMMEDIATE immediate_exp opt_bulk_collect opt_into_clause opt_using_clause opt_return_clause ';'
                                        { $$ = buildDynamic(ctx, $1, $3, $4, $5, $6, $7); }
    ;

immediate_exp
    : %empty                            { $$ = readImmediateText(ctx, &yylval.tok, &yychar); }
    ;

opt_into_clause
    : %empty                            { $$ = nullptr; }
    | T_INTO                            { $$ = readDynamicInto(ctx, &yylval.tok, &yychar); }
    ;

opt_bulk_collect
    : %empty                            { $$ = flagValue(ctx, 0); }
    | T_BULK T_COLLECT lno              { $$ = flagValue(ctx, 1); }
    ;

fetch_into_clause
    : T_INTO                            { $$ = readFetchInto(ctx, &yylval.tok, &yychar); }
    ;

opt_limit_clause
    : %empty                            { $$ = noText(ctx); }
    | T_LIMIT value_expr lno            { $$ = $2; }
    ;

opt_using_clause
    : %empty                            { $$ = nullptr; }
    | T_USING using_list                { $$ = $2; }
    ;

using_list
    : using_list T_COMMA using_param    { $$ = appendItem(ctx, $1, $3); }
    | using_param                       { $$ = startList(ctx, $1); }
    ;

using_param
    : opt_mode lno exp_until_comma_return
                                        { $$ = buildUsingParam(ctx, $1, $2, $3); }
    ;

exp_until_comma_return
    : %empty                            { $$ = readUsingValue(ctx, &yylval.tok, &yychar); }
    ;

opt_return_clause
    : %empty                            { $$ = nullptr; }
    | T_RETURNING                       { $$ = readReturnClause(ctx, &yylval.tok, &yychar); }
    | T_RETURNING T_INTO                { $$ = readReturnClause(ctx, &yylval.tok, &yychar); }
    | T_RETURN                          { $$ = readReturnClause(ctx, &yylval.tok, &yychar); }
    | T_RETURN T_INTO                   { $$ = readReturnClause(ctx, &yylval.tok, &yychar); }
    ;

stmt_raise
    : T_RAISE exceptionName ';'         { $$ = buildRaise(ctx, $1, $2); }
    | T_RAISE ';'                       { $$ = buildReraise(ctx, $1); }
    ;

stmt_select
    : selectNoParens ';'
    | selectNoParens T_COMMENT_SEMI ';' { $$ = appendSelectComment(ctx, $1, $2); }
    ;

/* CREATE TRIGGER t BEFORE INSERT OR UPDATE OF a ON tab REFERENCING NEW AS n FOR EACH ROW
   WHEN (n.a > 0) BEGIN ... END; */
stmt_create_trigger
    : T_CREATE opt_or_replace T_TRIGGER triggerName triggerPoint triggerEvents T_ON schemaObjectName optReferencing optForEach optFollows optDisable optCompound optCondition trigger_body
                                        { $$ = buildTrigger(ctx, {.create = $1, .orReplace = $2, .name = $4,
                                                                  .timing = $5, .events = $6, .table = $8,
                                                                  .referencing = $9, .forEachRow = $10,
                                                                  .follows = $11, .disabled = $12,
                                                                  .compound = $13, .condition = $14,
                                                                  .body = $15}); }
    ;

exp_until_semi
    : %empty                            { $$ = readUntilSemi(ctx, &yylval.tok, &yychar); }
    ;

exp_until_semi_or_comment
    : %empty                            { $$ = readUntilSemiOrComment(ctx, &yylval.tok, &yychar); }
    ;

opt_index_by_datatype
    : %empty                            { $$ = nullptr; }
    | T_INDEX T_BY decl_datatype        { $$ = $3; }
    ;

opt_exp_until_semi
    : %empty                            { $$ = readOptionalUntilSemi(ctx, &yylval.tok, &yychar); }
    ;

selectExpr
    : selectNoParens
    | selectWithParens
    ;

selectWithParens
    : '(' selectNoParens ')'            { $$ = $2; }
    | '(' selectWithParens ')'          { $$ = $2; }
    ;

/* WITH q AS (...) SELECT a, b BULK COLLECT INTO x, y FROM q WHERE ... */
selectNoParens
    : optCTE T_SELECT select_target opt_bulk_collect into_clause from_clause
                                        { $$ = buildSelect(ctx, $1, $2, $3, $4, $5, $6); }
    ;

optCTE
    : T_WITH exp_until_select           { $$ = $2; }
    | %empty                            { $$ = nullptr; }
    ;

elseif_sect
    : %empty                            { $$ = nullptr; }
    | T_ELSIF bool_expr T_THEN proc_stmts elseif_sect
                                        { $$ = buildElsif(ctx, $1, $2, $4, $5); }
    ;

else_sect
    : %empty                            { $$ = nullptr; }
    | T_ELSE lno proc_stmts             { $$ = $3; }
    ;

exp_until_then
    : %empty                            { $$ = readUntilThen(ctx, &yylval.tok, &yychar); }
    ;

exp_until_select
    : %empty                            { $$ = readUntilSelect(ctx, &yylval.tok, &yychar); }
    ;

exp_until_using
    : %empty                            { $$ = readUntilUsing(ctx, &yylval.tok, &yychar); }
    ;

opt_open_using
    : %empty                            { $$ = nullptr; }
    | T_USING exp_until_semi_or_comment { $$ = $2; }
    ;

loop_body
    : proc_stmts T_END T_LOOP optEndName
    ;

exp_until_loop
    : %empty                            { $$ = readLoopRange(ctx, &yylval.tok, &yychar); }
    ;

select_target
    : %empty                            { $$ = readSelectList(ctx, &yylval.tok, &yychar); }
    ;

into_clause
    : %empty                            { $$ = beginSelectRest(ctx, nullptr); }
    | T_INTO exp_until_from             { $$ = beginSelectRest(ctx, $2); }
    ;

exp_until_from
    : %empty                            { $$ = readSelectInto(ctx, &yylval.tok, &yychar); }
    ;

from_clause
    : T_FROM exp_until_semi_or_comment  { $$ = checkFromClause(ctx, $2); }
    ;

stmt_execsql_udi
    : T_INSERT                          { setCommentBeforeSemicolon(ctx, true); }
      exp_until_semi_or_comment         { $$ = buildSqlStmt(ctx, $1, T_INSERT, $3); }
    | T_UPDATE                          { setCommentBeforeSemicolon(ctx, true); }
      exp_until_semi_or_comment         { $$ = buildSqlStmt(ctx, $1, T_UPDATE, $3); }
    | T_DELETE                          { setCommentBeforeSemicolon(ctx, true); }
      exp_until_semi_or_comment         { $$ = buildSqlStmt(ctx, $1, T_DELETE, $3); }
    ;

stmt_execsql
    : stmt_execsql_udi
    | T_START T_TRANSACTION             { $$ = buildStartTransaction(ctx, $1); }
    | T_MERGE                           { setCommentBeforeSemicolon(ctx, true); }
      exp_until_semi_or_comment         { $$ = buildSqlStmt(ctx, $1, T_MERGE, $3); }
    | T_LOCK exp_until_semi             { $$ = buildSqlStmt(ctx, $1, T_LOCK, $2); }
    | T_ROLLBACK opt_exp_until_semi     { $$ = buildSqlStmt(ctx, $1, T_ROLLBACK, $2); }
    | T_SAVEPOINT exp_until_semi        { $$ = buildSqlStmt(ctx, $1, T_SAVEPOINT, $2); }
    | T_TRUNCATE exp_until_semi         { $$ = buildSqlStmt(ctx, $1, T_TRUNCATE, $2); }
    | T_COMMIT opt_exp_until_semi       { $$ = buildSqlStmt(ctx, $1, T_COMMIT, $2); }
    ;

exception_sect
    : %empty                            { $$ = nullptr; }
    | T_EXCEPTION proc_exceptions       { $$ = $2; }
    ;

proc_exceptions
    : proc_exceptions proc_exception    { $$ = appendItem(ctx, $1, $2); }
    | proc_exception                    { $$ = startList(ctx, $1); }
    ;

proc_exception
    : T_WHEN proc_conditions T_THEN proc_stmts
                                        { $$ = buildHandler(ctx, $1, $2, $4); }
    ;

proc_conditions
    : proc_conditions T_OR exceptionName
                                        { $$ = appendItem(ctx, $1, $3); }
    | exceptionName                     { $$ = startList(ctx, $1); }
    ;

opt_target
    : %empty                            { $$ = nullptr; }
    | labelName
    ;

opt_label
    : %empty                            { $$ = nullptr; }
    | T_LABEL_BEG labelName T_LABEL_END { $$ = $2; }
    ;

optEndName
    : %empty                            { $$ = nullptr; }
    | labelName
    ;

/* x lno := 1;   the source line of the construct it stands in: an empty rule, so its value is the
   scanner's line counter when it is reduced, that is the line of the last token read (the one before
   it, or the lookahead after it when the parser needed one to decide). */
lno
    : %empty                            { $$ = lineValue(ctx); }
    ;

opt_assign
    : T_ASSIGN exp_until_semi ';'       { $$ = assignmentPart(ctx, $2); }
    | %empty                            { $$ = noValue(ctx); }
    ;

opt_when_expr
    : T_WHEN bool_expr                  { $$ = $2; }
    | %empty                            { $$ = nullptr; }
    ;

opt_rec_colname
    : '.' varName                       { $$ = $2; }
    | %empty                            { $$ = nullptr; }
    ;

/* a(i).f := 1; or p(1, 2); */
param_exp
    : T_WORD lno '(' actual_args ')' opt_rec_colname opt_assign
                                        { $$ = buildIndexedStatement(ctx, $1, $2, $4, $6, $7); }
    | T_DTYPE lno '(' actual_args ')' opt_rec_colname opt_assign
                                        { $$ = buildIndexedStatement(ctx, $1, $2, $4, $6, $7); }
    ;

actual_args
    : exp_until_rparen
    ;

opt_formal_args
    : %empty                            { $$ = nullptr; }
    | '(' formal_args ')'               { $$ = $2; }
    ;

formal_args
    : formal_args T_COMMA formal_arg    { $$ = appendItem(ctx, $1, $3); }
    | formal_arg                        { $$ = startList(ctx, $1); }
    ;

formal_arg
    : varName lno opt_mode formal_arg_type opt_arg_dflt
                                        { $$ = buildFormalArg(ctx, $1, $2, $3, $4, $5); }
    ;

opt_mode
    : %empty                            { $$ = flagValue(ctx, argIn); }
    | T_IN                              { $$ = flagValue(ctx, argIn); }
    | T_OUT optNoCopy                   { $$ = flagValue(ctx, argOut); }
    | T_IN T_OUT optNoCopy              { $$ = flagValue(ctx, argInOut); }
    ;

optNoCopy
    : %empty                            { $$ = flagValue(ctx, 0); }
    | T_NOCOPY                          { $$ = flagValue(ctx, 1); }
    ;

optReverse
    : %empty                            { $$ = flagValue(ctx, 0); }
    | T_REVERSE                         { $$ = flagValue(ctx, 1); }
    ;

simple_func_expr
    : T_WORD lno ';'                    { $$ = buildSimpleCall(ctx, $1, $2); }
    | T_DTYPE lno ';'                   { $$ = buildSimpleCall(ctx, $1, $2); }
    ;

case_exprs
    : case_exprs case_expr              { $$ = appendItem(ctx, $1, $2); }
    | case_expr                         { $$ = startList(ctx, $1); }
    ;

bool_case_exprs
    : bool_case_exprs bool_case_expr    { $$ = appendItem(ctx, $1, $2); }
    | bool_case_expr                    { $$ = startList(ctx, $1); }
    ;

case_expr
    : T_WHEN exp_until_then T_THEN proc_stmts
                                        { $$ = buildCaseWhen(ctx, $1, $2, $4); }
    ;

bool_case_expr
    : T_WHEN bool_expr T_THEN proc_stmts
                                        { $$ = buildCaseWhen(ctx, $1, $2, $4); }
    ;

case_default
    : %empty                            { $$ = nullptr; }
    | T_ELSE proc_stmts                 { $$ = buildCaseElse(ctx, $1, $2); }
    ;

exp_until_rparen
    : %empty                            { $$ = readUntilRparen(ctx, &yylval.tok, &yychar); }
    ;

as_is
    : T_IS
    | T_AS
    ;

opt_or_replace
    : %empty                            { $$ = flagValue(ctx, 0); }
    | T_OR T_REPLACE                    { $$ = flagValue(ctx, 1); }
    ;

authid
    : T_AUTHID T_CURRENT_USER           { $$ = flagAt(ctx, 0, $1); }
    | T_AUTHID T_DEFINER                { $$ = flagAt(ctx, 1, $1); }
    ;

opt_authid
    : %empty                            { $$ = definerRights(ctx); }
    | authid
    ;

opt_readsSqlData
    : %empty                            { $$ = flagValue(ctx, 0); }
    | T_READS_SQL_DATA                  { $$ = flagValue(ctx, 1); }
    ;

optFunctionOpts
    : %empty                            { $$ = nullptr; }
    | functionOpts
    ;

functionOpts
    : functionOpts functionOpt          { $$ = appendItem(ctx, $1, $2); }
    | functionOpt                       { $$ = startList(ctx, $1); }
    ;

functionOpt
    : authid lno                        { $$ = authidOption(ctx, $1, $2); }
    | T_DETERMINISTIC                   { $$ = functionOption(ctx, $1, T_DETERMINISTIC); }
    | T_PIPELINED                       { $$ = functionOption(ctx, $1, T_PIPELINED); }
    | T_PARALLEL_ENABLE '(' T_PARTITION varName T_BY T_HASH '(' exp_until_rparen ')' ')'
                                        { $$ = nullptr; }
    | T_PARALLEL_ENABLE '(' T_PARTITION varName T_BY T_RANGE '(' exp_until_rparen ')' ')'
                                        { $$ = nullptr; }
    | T_PARALLEL_ENABLE '(' T_PARTITION varName T_BY T_ANY ')'
                                        { $$ = nullptr; }
    | T_CLUSTER varName T_BY '(' exp_until_rparen ')'
                                        { $$ = nullptr; }
    | T_ORDER varName T_BY '(' exp_until_rparen ')'
                                        { $$ = functionOption(ctx, $1, T_ORDER); }
    ;

/* ---- triggers ---- */

triggerPoint
    : T_BEFORE                          { $$ = flagValue(ctx, timingBefore); }
    | T_AFTER                           { $$ = flagValue(ctx, timingAfter); }
    | T_FOR                             { $$ = flagValue(ctx, timingFor); }
    | T_INSTEAD T_OF                    { $$ = flagValue(ctx, timingInsteadOf); }
    ;

triggerEvents
    : triggerEvents T_OR triggerEvent   { $$ = addTriggerEvent(ctx, $1, $3); }
    | triggerEvent
    ;

triggerEvent
    : T_INSERT                          { $$ = triggerEvent(ctx, eventInsert, nullptr); }
    | T_UPDATE optColumnList            { $$ = triggerEvent(ctx, eventUpdate, $2); }
    | T_DELETE                          { $$ = triggerEvent(ctx, eventDelete, nullptr); }
    ;

optColumnList
    : %empty                            { $$ = nullptr; }
    | T_OF columnList                   { $$ = $2; }
    ;

columnList
    : columnList T_COMMA schemaObjectName
                                        { $$ = concatLists(ctx, $1, $3); }
    | schemaObjectName
    ;

optCondition
    : %empty                            { $$ = nullptr; }
    | T_WHEN '(' exp_until_rparen ')'   { $$ = $3; }
    ;

optReferencing
    : %empty                            { $$ = nullptr; }
    | T_REFERENCING referencingList     { $$ = $2; }
    ;

referencingList
    : referencingList referenceClause   { $$ = appendItem(ctx, $1, $2); }
    | referenceClause                   { $$ = startList(ctx, $1); }
    ;

referenceClause
    : T_OLD T_AS varName                { $$ = buildTriggerArg(ctx, rowOld, $3); }
    | T_NEW T_AS varName                { $$ = buildTriggerArg(ctx, rowNew, $3); }
    | T_PARENT T_AS varName             { $$ = buildTriggerArg(ctx, rowParent, $3); }
    ;

optForEach
    : %empty                            { $$ = flagValue(ctx, 0); }
    | T_FOR T_EACH T_ROW                { $$ = flagValue(ctx, 1); }
    | T_FOR T_EACH T_STATEMENT          { $$ = flagValue(ctx, 0); }
    ;

optFollows
    : %empty                            { $$ = nullptr; }
    | T_FOLLOWS triggerName             { $$ = $2; }
    ;

optDisable
    : %empty                            { $$ = flagValue(ctx, 0); }
    | T_DISABLE                         { $$ = flagValue(ctx, 1); }
    ;

optCompound
    : %empty                            { $$ = flagValue(ctx, 0); }
    | T_COMPOUND T_TRIGGER              { $$ = flagValue(ctx, 1); }
    ;

varrayDim
    : '(' T_DIGITS ')'                  { $$ = $2; }
    ;

signedInteger
    : T_DIGITS
    | T_MINUS T_DIGITS                  { $$ = negativeDigits(ctx, $2); }
    ;

optSemiColon
    : %empty
    | ';'
    ;

/* ---- keywords as names ---- */

varKeyword
    : T_AFTER                           { $$ = keywordAsName(ctx, $1); }
    | T_ALIAS                           { $$ = keywordAsName(ctx, $1); }
    | T_AND                             { $$ = keywordAsName(ctx, $1); }
    | T_ANY                             { $$ = keywordAsName(ctx, $1); }
    | T_AS                              { $$ = keywordAsName(ctx, $1); }
    | T_AUTHID                          { $$ = keywordAsName(ctx, $1); }
    | T_AUTONOMOUS_XACT                 { $$ = keywordAsName(ctx, $1); }
    | T_BEFORE                          { $$ = keywordAsName(ctx, $1); }
    | T_BETWEEN                         { $$ = keywordAsName(ctx, $1); }
    | T_BY                              { $$ = keywordAsName(ctx, $1); }
    | T_CLOSE                           { $$ = keywordAsName(ctx, $1); }
    | T_COMMIT                          { $$ = keywordAsName(ctx, $1); }
    | T_COMPOUND                        { $$ = keywordAsName(ctx, $1); }
    | T_CONTINUE                        { $$ = keywordAsName(ctx, $1); }
    | T_CURRENT                         { $$ = keywordAsName(ctx, $1); }
    | T_CURRENT_USER                    { $$ = keywordAsName(ctx, $1); }
    | T_DATE                            { $$ = keywordAsName(ctx, $1); }
    | T_DEFAULT                         { $$ = keywordAsName(ctx, $1); }
    | T_DEFINER                         { $$ = keywordAsName(ctx, $1); }
    | T_DELETE                          { $$ = keywordAsName(ctx, $1); }
    | T_DISABLE                         { $$ = keywordAsName(ctx, $1); }
    | T_EACH                            { $$ = keywordAsName(ctx, $1); }
    | T_ESCAPE                          { $$ = keywordAsName(ctx, $1); }
    | T_EXCEPTION_INIT                  { $$ = keywordAsName(ctx, $1); }
    | T_EXECUTE                         { $$ = keywordAsName(ctx, $1); }
    | T_EXIT                            { $$ = keywordAsName(ctx, $1); }
    | T_FETCH                           { $$ = keywordAsName(ctx, $1); }
    | T_FOLLOWS                         { $$ = keywordAsName(ctx, $1); }
    | T_FOR                             { $$ = keywordAsName(ctx, $1); }
    | T_FORALL                          { $$ = keywordAsName(ctx, $1); }
    | T_FROM                            { $$ = keywordAsName(ctx, $1); }
    | T_HASH                            { $$ = keywordAsName(ctx, $1); }
    | T_GOTO                            { $$ = keywordAsName(ctx, $1); }
    | T_IF                              { $$ = keywordAsName(ctx, $1); }
    | T_IMMEDIATE                       { $$ = keywordAsName(ctx, $1); }
    | T_INDEX                           { $$ = keywordAsName(ctx, $1); }
    | T_INDICES                         { $$ = keywordAsName(ctx, $1); }
    | T_INSERT                          { $$ = keywordAsName(ctx, $1); }
    | T_INSTEAD                         { $$ = keywordAsName(ctx, $1); }
    | T_INTO                            { $$ = keywordAsName(ctx, $1); }
    | T_IS                              { $$ = keywordAsName(ctx, $1); }
    | T_LIKE                            { $$ = keywordAsName(ctx, $1); }
    | T_LOCK                            { $$ = keywordAsName(ctx, $1); }
    | T_LOOP                            { $$ = keywordAsName(ctx, $1); }
    | T_MERGE                           { $$ = keywordAsName(ctx, $1); }
    | T_NEW                             { $$ = keywordAsName(ctx, $1); }
    | T_NULL                            { $$ = keywordAsName(ctx, $1); }
    | T_OBJECT                          { $$ = keywordAsName(ctx, $1); }
    | T_OF                              { $$ = keywordAsName(ctx, $1); }
    | T_OLD                             { $$ = keywordAsName(ctx, $1); }
    | T_ON                              { $$ = keywordAsName(ctx, $1); }
    | T_OPEN                            { $$ = keywordAsName(ctx, $1); }
    | T_OR                              { $$ = keywordAsName(ctx, $1); }
    | T_ORDER                           { $$ = keywordAsName(ctx, $1); }
    | T_PACKAGE                         { $$ = keywordAsName(ctx, $1); }
    | T_PARENT                          { $$ = keywordAsName(ctx, $1); }
    | T_PARTITION                       { $$ = keywordAsName(ctx, $1); }
    | T_PIPE                            { $$ = keywordAsName(ctx, $1); }
    | T_RAISE                           { $$ = keywordAsName(ctx, $1); }
    | T_RECORD                          { $$ = keywordAsName(ctx, $1); }
    | T_REFCURSOR                       { $$ = keywordAsName(ctx, $1); }
    | T_REFERENCING                     { $$ = keywordAsName(ctx, $1); }
    | T_REPLACE                         { $$ = keywordAsName(ctx, $1); }
    | T_RETURN                          { $$ = keywordAsName(ctx, $1); }
    | T_RETURNING                       { $$ = keywordAsName(ctx, $1); }
    | T_ROLLBACK                        { $$ = keywordAsName(ctx, $1); }
    | T_ROW                             { $$ = keywordAsName(ctx, $1); }
    | T_SAVEPOINT                       { $$ = keywordAsName(ctx, $1); }
    | T_SQLCODE                         { $$ = keywordAsName(ctx, $1); }
    | T_SQLERRM                         { $$ = keywordAsName(ctx, $1); }
    | T_SQLERRMFUNC                     { $$ = keywordAsName(ctx, $1); }
    | T_SQLSTATE                        { $$ = keywordAsName(ctx, $1); }
    | T_START                           { $$ = keywordAsName(ctx, $1); }
    | T_STATEMENT                       { $$ = keywordAsName(ctx, $1); }
    | T_TABLE                           { $$ = keywordAsName(ctx, $1); }
    | T_THEN                            { $$ = keywordAsName(ctx, $1); }
    | T_TIMESTAMP                       { $$ = keywordAsName(ctx, $1); }
    | T_TRANSACTION                     { $$ = keywordAsName(ctx, $1); }
    | T_TRIGGER                         { $$ = keywordAsName(ctx, $1); }
    | T_TRUNCATE                        { $$ = keywordAsName(ctx, $1); }
    | T_UPDATE                          { $$ = keywordAsName(ctx, $1); }
    | T_USING                           { $$ = keywordAsName(ctx, $1); }
    | T_VALUES                          { $$ = keywordAsName(ctx, $1); }
    | T_VARRAY                          { $$ = keywordAsName(ctx, $1); }
    | T_WHERE                           { $$ = keywordAsName(ctx, $1); }
    | T_WHILE                           { $$ = keywordAsName(ctx, $1); }
    ;

typeKeyword
    : varKeyword
    | T_CURSOR                          { $$ = keywordAsName(ctx, $1); }
    | T_ELSE                            { $$ = keywordAsName(ctx, $1); }
    | T_ELSIF                           { $$ = keywordAsName(ctx, $1); }
    | T_END                             { $$ = keywordAsName(ctx, $1); }
    | T_FUNCTION                        { $$ = keywordAsName(ctx, $1); }
    | T_PROCEDURE                       { $$ = keywordAsName(ctx, $1); }
    | T_REVERSE                         { $$ = keywordAsName(ctx, $1); }
    | T_SELECT                          { $$ = keywordAsName(ctx, $1); }
    | T_TYPE                            { $$ = keywordAsName(ctx, $1); }
    ;

schemaKeyword
    : typeKeyword
    | T_CONSTANT                        { $$ = keywordAsName(ctx, $1); }
    | T_EXCEPTION                       { $$ = keywordAsName(ctx, $1); }
    | T_IN                              { $$ = keywordAsName(ctx, $1); }
    | T_NOCOPY                          { $$ = keywordAsName(ctx, $1); }
    | T_OUT                             { $$ = keywordAsName(ctx, $1); }
    | T_BULK                            { $$ = keywordAsName(ctx, $1); }
    | T_COLLECT                         { $$ = keywordAsName(ctx, $1); }
    | T_LIMIT                           { $$ = keywordAsName(ctx, $1); }
    | T_WITH                            { $$ = keywordAsName(ctx, $1); }
    | T_DETERMINISTIC                   { $$ = keywordAsName(ctx, $1); }
    ;

declVarName
    : T_WORD
    | varKeyword
    ;

varName
    : declVarName
    | T_BODY                            { $$ = keywordAsLinedName(ctx, $1); }
    | T_TYPE                            { $$ = keywordAsLinedName(ctx, $1); }
    ;

typeName
    : T_WORD
    | T_DTYPE
    | typeKeyword
    ;

schemaObjectName
    : T_WORD
    | T_DTYPE
    | schemaKeyword
    ;

cursorName
    : schemaObjectName
    ;

triggerName
    : schemaObjectName
    ;

procedureName
    : schemaObjectName
    ;

functionName
    : schemaObjectName
    ;

packageName
    : schemaObjectName
    ;

exceptionName
    : schemaObjectName
    ;

labelName
    : schemaObjectName
    ;

/* ---- conditions, rebuilt as text so that bare BOOLEAN values can be compared with TRUE ---- */

bool_expr
    : expression lno                    { $$ = finishCondition(ctx, $1, $2); }
    ;

or_and
    : T_OR                              { $$ = logicalOperator(ctx, $1, T_OR); }
    | T_AND                             { $$ = logicalOperator(ctx, $1, T_AND); }
    ;

/* a AND NOT b OR c: a flat chain, left to right */
expression
    : possibly_negated
    | expression or_and lno possibly_negated
                                        { $$ = joinLogical(ctx, $1, $2, $4); }
    ;

possibly_negated
    : value_or_comparison
    | T_NOT possibly_negated            { $$ = negateCondition(ctx, $1, $2); }
    ;

opt_not
    : %empty                            { $$ = flagValue(ctx, 0); }
    | T_NOT                             { $$ = flagValue(ctx, 1); }
    ;

value_or_comparison
    : value_expr
    | value_expr T_COMPARISON value_expr
                                        { $$ = buildComparison(ctx, $1, $2, $3); }
    | value_expr opt_not T_LIKE value_expr opt_escape
                                        { $$ = buildLike(ctx, $1, $2, $3, $4, $5); }
    | value_expr T_IS opt_not T_NULL    { $$ = buildIsNull(ctx, $1, $2, $3); }
    | value_expr opt_not T_BETWEEN value_expr T_AND value_expr
                                        { $$ = buildBetween(ctx, $1, $2, $3, $4, $5, $6); }
    | value_expr opt_not T_IN '(' arguments ')' lno
                                        { $$ = buildInList(ctx, $1, $2, $3, $5, $7); }
    ;

arguments
    : %empty                            { $$ = noText(ctx); }
    | argument
    | arguments T_COMMA argument        { $$ = appendArgument(ctx, $1, $2, $3); }
    ;

argument
    : T_ARGNAME expression              { $$ = namedArgument(ctx, $1, $2); }
    | expression trailing_argument_tokens
                                        { $$ = argumentText(ctx, $1, $2); }
    ;

trailing_argument_tokens
    : %empty                            { $$ = readArgumentRest(ctx, &yylval.tok, &yychar); }
    ;

plus_minus
    : T_PLUS                            { $$ = signText(ctx, $1); }
    | T_MINUS                           { $$ = signText(ctx, $1); }
    ;

binary_operator
    : plus_minus lno
    | '*' lno                           { $$ = characterOperator(ctx, '*', $2); }
    | '/' lno                           { $$ = characterOperator(ctx, '/', $2); }
    | T_CONCAT                          { $$ = operatorText(ctx, $1, T_CONCAT); }
    | T_EXPO                            { $$ = operatorText(ctx, $1, T_EXPO); }
    ;

value_expr
    : basic_expr
    | value_expr binary_operator basic_expr
                                        { $$ = joinBinary(ctx, $1, $2, $3); }
    ;

basic_expr
    : plus_minus lno basic_expr         { $$ = applySign(ctx, $1, $3); }
    | '(' lno expression ')' lno        { $$ = parenthesize(ctx, $2, $3, $5); }
    | varName                           { $$ = nameValue(ctx, $1); }
    | T_CURRENT T_DATE                  { $$ = currentValue(ctx, $1, T_DATE); }
    | T_CURRENT T_TIMESTAMP             { $$ = currentValue(ctx, $1, T_TIMESTAMP); }
    | T_TRIG_VAR                        { $$ = plainText(ctx, $1); }
    | T_CAST '(' expression T_AS decl_datatype ')' lno
                                        { $$ = castText(ctx, $1, $3, $4, $5, $7); }
    | func_call
    | func_call '.' lno varName         { $$ = fieldOfCall(ctx, $1, $3, $4); }
    | T_CASE bool_when_then_list opt_else_expr T_END
                                        { $$ = searchedCaseText(ctx, $1, $2, $3, $4); }
    | T_CASE expression when_then_list opt_else_expr T_END
                                        { $$ = caseText(ctx, $1, $2, $3, $4, $5); }
    | sub_select
    | T_EXISTS sub_select               { $$ = existsText(ctx, $1, $2); }
    | T_STRING                          { $$ = literalText(ctx, $1, T_STRING); }
    | T_DIGITS                          { $$ = literalText(ctx, $1, T_DIGITS); }
    | T_HEXLIT                          { $$ = literalText(ctx, $1, T_HEXLIT); }
    | T_NUMERICNO                       { $$ = literalText(ctx, $1, T_NUMERICNO); }
    | T_CURSOR_ISOPEN                   { $$ = literalText(ctx, $1, T_CURSOR_ISOPEN); }
    | T_CURSOR_FOUND                    { $$ = literalText(ctx, $1, T_CURSOR_FOUND); }
    | T_CURSOR_NOTFOUND                 { $$ = literalText(ctx, $1, T_CURSOR_NOTFOUND); }
    | T_CURSOR_ROWCOUNT                 { $$ = literalText(ctx, $1, T_CURSOR_ROWCOUNT); }
    | T_SQL_FOUND                       { $$ = sqlAttributeText(ctx, $1, T_SQL_FOUND); }
    | T_SQL_NOTFOUND                    { $$ = sqlAttributeText(ctx, $1, T_SQL_NOTFOUND); }
    | T_SQL_ROWCOUNT                    { $$ = sqlAttributeText(ctx, $1, T_SQL_ROWCOUNT); }
    | T_DELETING                        { $$ = triggerPredicateText(ctx, $1, T_DELETING); }
    | T_INSERTING                       { $$ = triggerPredicateText(ctx, $1, T_INSERTING); }
    | T_UPDATING                        { $$ = triggerPredicateText(ctx, $1, T_UPDATING); }
    ;

func_call
    : varName '(' lno arguments ')' lno { $$ = callText(ctx, $1, $3, $4, $6); }
    | T_XMLPARSE '(' lno exp_until_rparen ')' lno
                                        { $$ = xmlCallText(ctx, $1, T_XMLPARSE, $3, $4, $6); }
    | T_XMLCAST '(' lno exp_until_rparen ')' lno
                                        { $$ = xmlCallText(ctx, $1, T_XMLCAST, $3, $4, $6); }
    ;

sub_select
    : '(' T_SELECT exp_until_rparen ')' lno
                                        { $$ = subSelectText(ctx, $2, $3, $5); }
    ;

when_then_list
    : when_then
    | when_then_list when_then          { $$ = concatText(ctx, $1, $2); }
    ;

when_then
    : T_WHEN expression T_THEN expression
                                        { $$ = whenThenText(ctx, $1, $2, $3, $4); }
    ;

bool_when_then_list
    : bool_when_then
    | bool_when_then_list bool_when_then
                                        { $$ = concatText(ctx, $1, $2); }
    ;

bool_when_then
    : T_WHEN bool_expr T_THEN expression
                                        { $$ = conditionThenText(ctx, $1, $2, $3, $4); }
    ;

opt_else_expr
    : %empty                            { $$ = noText(ctx); }
    | T_ELSE expression                 { $$ = elseText(ctx, $1, $2); }
    ;

opt_escape
    : %empty                            { $$ = noText(ctx); }
    | T_ESCAPE value_expr               { $$ = escapeText(ctx, $1, $2); }
    ;

/* ---- extensions: rules last, so every earlier rule keeps its number ---- */

/* DECLARE FUNCTION f (a NUMBER) RETURN NUMBER IS BEGIN RETURN a; END f; BEGIN ... */
decl_stmt
    : T_NESTED_FUNCTION functionName opt_formal_args T_RETURN formal_arg_type optFunctionOpts as_is program_body ';'
                                        { $$ = buildFunction(ctx, $1, $2, $3, $5, $6, $8); }
    ;

/* IF UPDATING('STATUS') THEN */
basic_expr
    : T_UPDATING_COLUMN                 { $$ = triggerPredicateText(ctx, $1, T_UPDATING_COLUMN); }
    ;

%%

/* "memory exhausted" from the stack limit; syntax errors come through yyreport_syntax_error. */
static void yyerror(ParseContext* ctx, const char* message) { reportSyntaxError(ctx, message); }

/* Every syntax error is one record on the chain. */
static int yyreport_syntax_error(const yypcontext_t* yyctx, ParseContext* ctx)
{
  const yysymbol_kind_t token = yypcontext_token(yyctx);
  reportParserSyntaxError(ctx, token == YYSYMBOL_YYEMPTY ? nullptr : yysymbol_name(token));
  return 0;
}

/* The terminals with an explicit action in `state`, the way the verbose message lists them. */
int expectedTerminalNames(int state, const char** names, int max)
{
  if (state < 0 || state >= YYNSTATES) return 0;
  const int base = yypact[state];
  if (yypact_value_is_default(base)) return 0;
  const int first = base < 0 ? -base : 0;
  const int checkLimit = YYLAST - base + 1;
  const int end = checkLimit < YYNTOKENS ? checkLimit : YYNTOKENS;
  int count = 0;
  for (int symbol = first; symbol < end && count < max; ++symbol) {
    if (yycheck[symbol + base] == symbol && symbol != YYSYMBOL_YYerror
        && !yytable_value_is_error(yytable[symbol + base]))
      names[count++] = yysymbol_name(static_cast<yysymbol_kind_t>(symbol));
  }
  return count;
}

/* Whether `state` has an action of its own for token `code` (a shift or a reduction it reads the token
   for), as the expected-token list counts it. */
int grammarStateReads(int state, int code)
{
  if (state < 0 || state >= YYNSTATES) return 0;
  const int base = yypact[state];
  if (yypact_value_is_default(base)) return 0;
  const int symbol = YYTRANSLATE(code);
  const int index = base + symbol;
  return index >= 0 && index <= YYLAST && yycheck[index] == symbol && !yytable_value_is_error(yytable[index]);
}

/* Rule numbers as the grammar listing counts them (the augmented start rule is 0); the generated
   tables index the same rules from 1. */
int grammarRuleCount(void) { return YYNRULES; }

const char* grammarRuleLhs(int rule)
{
  if (rule < 0 || rule >= YYNRULES) return nullptr;
  return yysymbol_name(static_cast<yysymbol_kind_t>(yyr1[rule + 1]));
}

/* Whether the parser may hold a lookahead token when it reduces by `rule`: true when some state
   reduces by it only for particular lookaheads. Rules whose actions read the scanner's current text
   or hand the token stream over to a reader rely on this being false. */
int grammarRuleReadsAhead(int rule)
{
  if (rule < 0 || rule >= YYNRULES) return 0;
  const int internal = rule + 1;
  for (int state = 0; state < YYNSTATES; ++state) {
    if (yydefact[state] == internal && !yypact_value_is_default(yypact[state])) return 1;
  }
  for (int i = 0; i <= YYLAST; ++i) {
    if (!yytable_value_is_error(yytable[i]) && yytable[i] == -internal) return 1;
  }
  return 0;
}
