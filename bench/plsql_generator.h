// plsql_generator.h - deterministic PL/SQL that looks like code people write, for the benchmarks and
// for `gen_plsql`. Every shape is grown statement by statement until it reaches the requested size, so
// the same shape at 100 KB and at 2 MB has the same mix of constructs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class PlsqlShape {
  // One procedure: declarations, nested blocks, IF/CASE, the three loops, SELECT INTO and DML.
  // Uses only what translates end to end today.
  procedure,
  // The same procedure with cursors (declared, FOR loops, OPEN/FETCH/CLOSE, attributes) and
  // exception handlers in its nested blocks.
  procedureWithHandlers,
  // A package body of mixed members: globals, cursors, procedures and functions with handlers, and an
  // initialisation part.
  packageBody,
  // A script of many small units (procedures, functions, anonymous blocks), each ended by a "/" line.
  script,
  // A procedure dense in exceptions and cursors: every step binds an exception by EXCEPTION_INIT,
  // declares a cursor with a parameter, and runs a block with both cursor FOR forms, OPEN ... FOR,
  // SELECT INTO, DML with RETURNING, attributes, RAISE and handlers that read SQLCODE and SQLERRM.
  exceptionsCursors,
  // A procedure dense in collections and dynamic SQL: collection methods, BULK COLLECT fetches and
  // selects, FORALL over ranges and collections, EXECUTE IMMEDIATE with binds and restricted calls.
  collections,
};

constexpr PlsqlShape allPlsqlShapes[] = {PlsqlShape::procedure,         PlsqlShape::procedureWithHandlers,
                                         PlsqlShape::packageBody,       PlsqlShape::script,
                                         PlsqlShape::exceptionsCursors, PlsqlShape::collections};

// The shape's name as the benchmarks and gen_plsql spell it: procedure, procedure_handlers,
// package_body, script, exceptions_cursors, collections.
const char* plsqlShapeName(PlsqlShape shape);
// The shape named `name`; false when there is none.
bool plsqlShapeByName(const char* name, PlsqlShape* shape);

// Text of about `bytes` bytes (never less; at most one statement more) of the given shape. A non-zero
// `seed` picks other constructs of the same shape (0: the benchmarks' fixed inputs).
std::string generatePlsqlText(PlsqlShape shape, size_t bytes, uint32_t seed = 0);

// The units of a script, each without its "/" line: what a client sends in one call per unit.
std::vector<std::string> splitScriptUnits(const std::string& script);

// `count` units as a schema's source holds them, for replaying one xcomp2 call per unit: sizes follow
// real code (median about 1 KB, a tenth above 70 KB, none above `largest`) and the shapes take turns at
// every size. The same stream on every run and build.
std::vector<std::string> generateUnitStream(size_t count, size_t largest = 512 * 1024);
