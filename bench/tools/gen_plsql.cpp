// gen_plsql - writes one benchmark input to standard output, to read it or to feed it to xcomp:
//   gen_plsql <shape> <size in bytes, or with K or M>; the shapes are those of the benchmarks
//   gen_plsql stream <count>: the unit stream of the engine-call benchmarks, each unit ended by a "/" line
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../plsql_generator.h"

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "stream") == 0) {
    for (const std::string& unit : generateUnitStream(std::strtoul(argv[2], nullptr, 10))) {
      std::fwrite(unit.data(), 1, unit.size(), stdout);
      std::fputs(unit.empty() || unit.back() == '\n' ? "/\n" : "\n/\n", stdout);
    }
    return 0;
  }
  PlsqlShape shape;
  if (argc != 3 || !plsqlShapeByName(argv[1], &shape)) {
    std::fprintf(stderr, "usage: gen_plsql <shape> <bytes>[K|M] | gen_plsql stream <count>\nshapes:");
    for (PlsqlShape s : allPlsqlShapes) std::fprintf(stderr, " %s", plsqlShapeName(s));
    std::fputc('\n', stderr);
    return 2;
  }
  char* end = nullptr;
  size_t bytes = std::strtoul(argv[2], &end, 10);
  if (*end == 'K' || *end == 'k') bytes *= 1024;
  if (*end == 'M' || *end == 'm') bytes *= 1024 * 1024;
  const std::string text = generatePlsqlText(shape, bytes);
  std::fwrite(text.data(), 1, text.size(), stdout);
  // A script already ends each unit with its "/" line; a single unit gets one so xcomp reads it whole.
  if (shape != PlsqlShape::script) std::fputs("/\n", stdout);
  return 0;
}
