// xcomp2_replay - replays a schema's source through a libxcomp2.so as an engine does: the library loaded
// with dlopen, one compile-only xcomp2 call per unit, in a row on one thread. Prints the total, the
// per-call percentiles, the throughput and the resident memory, so two builds of the library can be
// set side by side on the same units. Times are the thread's processor time (user and system), so other
// work on a shared machine does not count:
//   xcomp2_replay LIBRARY... [--units N | FILE|DIRECTORY ...] [--rounds R]
// Without files it replays the benchmarks' generated stream (N units, 2,000 by default). Files are cut
// into requests at lines holding only "/"; a directory stands for the .sql files under it. Only the
// units every named library translates are timed; the libraries take turns, round by round.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../plsql_generator.h"
#include "xcomp2.h"

namespace {

namespace fs = std::filesystem;
using Entry = int32_t (*)(XcompStatement*, const XcompOptions*, SQLCA*);
const XcompOptions XCOMP_REPLAY_OPTIONS{XCOMP_MODE_COMPILE_ONLY};

void addRequests(const std::string& text, std::vector<std::string>* out) {
  std::string current;
  std::istringstream lines(text);
  std::string line;
  auto flush = [&] {
    if (current.find_first_not_of(" \t\r\n") != std::string::npos) out->push_back(current);
    current.clear();
  };
  while (std::getline(lines, line)) {
    const size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string::npos && line[first] == '/' &&
        line.find_first_not_of(" \t\r", first + 1) == std::string::npos) {
      flush();
      continue;
    }
    current += line;
    current += '\n';
  }
  flush();
}

void addFile(const fs::path& path, std::vector<std::string>* out) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  addRequests(text.str(), out);
}

size_t residentKiB() {
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0;
  size_t resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<size_t>(sysconf(_SC_PAGESIZE)) / 1024;
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t at = std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())));
  return values[at];
}

// The calling thread's processor time, user and system: what the call costs, without the time other
// programs on a shared machine take the processor away.
double threadMicros() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) * 1e-3;
}

struct Library {
  const char* path;
  Entry entry;
};

// One compile-only call; the microseconds it took, and whether it succeeded.
double call(Entry entry, const std::string& unit, XcompStatement* statement, bool* ok) {
  statement->length = static_cast<uint32_t>(unit.size());
  std::memcpy(statement->text, unit.data(), unit.size());
  SQLCA sqlca{};
  std::memcpy(sqlca.sqlcaid, "SQLCA   ", 8);
  sqlca.sqlcabc = sizeof(SQLCA);
  const double start = threadMicros();
  entry(statement, &XCOMP_REPLAY_OPTIONS, &sqlca);
  const double us = threadMicros() - start;
  *ok = sqlca.sqlcode >= 0;
  return us;
}

}  // namespace

int main(int argc, char** argv) {
  size_t generated = 2000;
  int rounds = 1;
  std::vector<Library> libraries;
  std::vector<std::string> units;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--units" && i + 1 < argc) {
      generated = std::strtoul(argv[++i], nullptr, 10);
    } else if (arg == "--rounds" && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
    } else if (arg.find(".so") != std::string::npos && fs::is_regular_file(arg)) {
      void* handle = dlopen(argv[i], RTLD_NOW | RTLD_LOCAL);
      auto entry = handle != nullptr ? reinterpret_cast<Entry>(dlsym(handle, "xcomp2")) : nullptr;
      if (entry == nullptr) {
        std::fprintf(stderr, "xcomp2_replay: cannot load %s: %s\n", argv[i], dlerror());
        return 2;
      }
      libraries.push_back(Library{argv[i], entry});
    } else if (fs::is_directory(arg)) {
      std::vector<fs::path> files;
      for (const auto& item : fs::recursive_directory_iterator(arg)) {
        if (item.is_regular_file() && item.path().extension() == ".sql") files.push_back(item.path());
      }
      std::sort(files.begin(), files.end());
      for (const fs::path& file : files) addFile(file, &units);
    } else {
      addFile(arg, &units);
    }
  }
  if (libraries.empty()) {
    std::fprintf(stderr, "usage: xcomp2_replay LIBRARY... [--units N | FILE|DIRECTORY ...] [--rounds R]\n");
    return 2;
  }
  if (units.empty()) units = generateUnitStream(generated);

  std::vector<char> storage(sizeof(uint32_t) + XCOMP_MAX_STATEMENT + 1);
  auto* statement = reinterpret_cast<XcompStatement*>(storage.data());

  // Only what every library translates is timed, so a build that refuses a unit early does not look fast.
  const size_t offered = units.size();
  std::erase_if(units, [&](const std::string& unit) {
    if (unit.size() > XCOMP_MAX_STATEMENT) return true;
    for (const Library& library : libraries) {
      bool ok = false;
      call(library.entry, unit, statement, &ok);
      if (!ok) return true;
    }
    return false;
  });
  size_t bytes = 0;
  for (const std::string& unit : units) bytes += unit.size();
  std::printf(
      "%zu of %zu units translate in every library: %.2f MB, median %zu bytes\n", units.size(), offered, bytes / 1e6,
      units.empty() ? 0 : [&] {
        std::vector<size_t> sizes;
        for (const std::string& unit : units) sizes.push_back(unit.size());
        std::sort(sizes.begin(), sizes.end());
        return sizes[sizes.size() / 2];
      }());

  struct Figures {
    std::vector<double> micros, smallMicros;
    double seconds = 0;
    size_t residentAfter100 = 0, residentEnd = 0, calls = 0;
  };
  std::vector<Figures> figures(libraries.size());
  // XCOMP_REPLAY_SLOW=us names each call that took longer, to find what a percentile is made of.
  const double slowMicros =
      std::getenv("XCOMP_REPLAY_SLOW") != nullptr ? std::atof(std::getenv("XCOMP_REPLAY_SLOW")) : 0;
  // Libraries take turns round by round, so drift on a shared machine falls on all of them alike.
  for (int round = 0; round < rounds; ++round) {
    for (size_t l = 0; l < libraries.size(); ++l) {
      Figures& f = figures[l];
      for (const std::string& unit : units) {
        bool ok = false;
        const double us = call(libraries[l].entry, unit, statement, &ok);
        f.seconds += us * 1e-6;
        f.micros.push_back(us);
        if (unit.size() < 10 * 1024) f.smallMicros.push_back(us);
        if (slowMicros > 0 && us > slowMicros) {
          std::printf("slow: %.0f us, %zu bytes: %.60s\n", us, unit.size(), unit.c_str());
        }
        if (++f.calls == 100) f.residentAfter100 = residentKiB();
      }
      f.residentEnd = residentKiB();
    }
  }
  for (size_t l = 0; l < libraries.size(); ++l) {
    const Figures& f = figures[l];
    const double mb = static_cast<double>(bytes) * rounds / 1e6;
    std::printf("%s\n  total %.3f s for %zu calls: %.1f MB/s\n", libraries[l].path, f.seconds, f.calls,
                f.seconds > 0 ? mb / f.seconds : 0.0);
    std::printf(
        "  per call: p50 %.1f us, p90 %.1f us, p99 %.1f us; under 10 KB (%zu calls): p50 %.1f us, p99 %.1f us\n",
        percentile(f.micros, 0.5), percentile(f.micros, 0.9), percentile(f.micros, 0.99), f.smallMicros.size(),
        percentile(f.smallMicros, 0.5), percentile(f.smallMicros, 0.99));
    std::printf("  resident (the whole process): %zu KiB after 100 calls, %zu KiB after the last\n", f.residentAfter100,
                f.residentEnd);
  }
  return 0;
}
