// host.cpp - our own stand-ins for the engine's host services: environment variables for the session
// values, glibc iconv for code pages, thread_local for the thread slot. Memory blocks come from the
// region allocator (region_allocator.cpp).
// Everything that touches the platform outside ODBC lives here, so the rest of the library never does.
#include "host/host.h"

#include <iconv.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "xcomp2.h"

namespace {

// Test-only failure injection, per thread so concurrent tests do not disturb each other.
thread_local bool slotFails = false;
thread_local void* slotValue = nullptr;

// A session variable that holds one character. The database record holds any character there: one
// without a name is still the session's value, compiled with and shown in the dump as "ERROR".
struct CharVariable {
  const char* name;
  char fallback;
};

constexpr CharVariable stringUnitsVariable{"XCOMP_STRING_UNITS", 'S'};
constexpr CharVariable compatVariable{"XCOMP_COMPAT", '0'};
constexpr CharVariable ncharVariable{"XCOMP_NCHAR_MAPPING", '0'};
constexpr CharVariable charVariables[] = {stringUnitsVariable, compatVariable, ncharVariable};

bool isCharValue(const char* value) { return value[0] != '\0' && value[1] == '\0'; }

// Decimal digits only, 1 to 65535: no sign, blank or suffix that strtol would pass over.
bool parseCodePage(const char* text, uint16_t* codePage) {
  uint32_t value = 0;
  if (text[0] == '\0') return false;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + static_cast<uint32_t>(*p - '0');
    if (value > 65535) return false;
  }
  if (value == 0) return false;
  *codePage = static_cast<uint16_t>(value);
  return true;
}

bool reportInvalid(const char* name, const char* value, char* message, size_t size) {
  // "invalid NAME value '...'" within the 69 bytes an SQLCA message holds.
  const size_t fixed = std::strlen("invalid  value ''") + std::strlen(name);
  const size_t room = fixed < 69 ? 69 - fixed : 0;
  const size_t length = std::strlen(value);
  if (length <= room) {
    hostSnprintf(message, size, "invalid %s value '%s'", name, value);
  } else {
    const int shown = room > 3 ? static_cast<int>(room - 3) : 0;
    hostSnprintf(message, size, "invalid %s value '%.*s...'", name, shown, value);
  }
  return false;
}

struct CodepageName {
  uint16_t codePage;
  const char* iconvName;
};

constexpr uint16_t utf8 = XCOMP_CODEPAGE_UTF8;

// Code page numbers the engine uses, with the glibc converter that reads them: glibc's "CP" alias of the
// number wherever it has one, its own name for the rest (Unicode and the multi-byte Asian encodings).
constexpr CodepageName codepageNames[] = {
    {utf8, "UTF-8"},  {1252, "CP1252"},    {850, "CP850"},   {819, "CP819"},       {437, "CP437"},     {37, "CP037"},
    {500, "CP500"},   {273, "CP273"},      {1047, "CP1047"}, {1250, "CP1250"},     {1251, "CP1251"},   {1253, "CP1253"},
    {1254, "CP1254"}, {1255, "CP1255"},    {1256, "CP1256"}, {1257, "CP1257"},     {912, "CP912"},     {915, "CP915"},
    {813, "CP813"},   {916, "CP916"},      {920, "CP920"},   {923, "ISO-8859-15"}, {932, "CP932"},     {943, "CP932"},
    {954, "EUC-JP"},  {970, "EUC-KR"},     {1386, "GBK"},    {1363, "CP949"},      {1200, "UTF-16BE"}, {1381, "GB2312"},
    {1383, "EUC-CN"}, {964, "EUC-TW"},     {950, "BIG5"},    {874, "CP874"},       {1258, "CP1258"},   {852, "CP852"},
    {866, "CP866"},   {1051, "HP-ROMAN8"}, {5348, "CP1252"}, {1392, "GB18030"},
};

}  // namespace

// The session values are read on every call, not once: an engine's values come from the record of the
// database the call is for, which changes from call to call, and the stand-in's environment may be
// changed between calls as well. Each variable is looked up once per call: a lookup walks the whole
// environment, which in a database server's process is long.
HostStaticData hostStaticData() {
  HostStaticData data{
      XCOMP_CODEPAGE_UTF8, stringUnitsVariable.fallback, compatVariable.fallback, ncharVariable.fallback, {}};
  bool valid = true;
  if (const char* cp = std::getenv("XCOMP_CODEPAGE"); cp != nullptr && !parseCodePage(cp, &data.codePage)) {
    valid = reportInvalid("XCOMP_CODEPAGE", cp, data.problem, sizeof data.problem);
  }
  char* const fields[] = {&data.stringUnits, &data.compatMode, &data.ncharMapping};
  for (size_t i = 0; i < std::size(charVariables); ++i) {
    const char* value = std::getenv(charVariables[i].name);
    if (value == nullptr) continue;
    if (isCharValue(value)) {
      *fields[i] = value[0];
    } else if (valid) {
      valid = reportInvalid(charVariables[i].name, value, data.problem, sizeof data.problem);
    }
  }
  return data;
}

const char* hostCodepageName(uint16_t codePage) {
  for (const CodepageName& row : codepageNames) {
    if (row.codePage == codePage) return row.iconvName;
  }
  return nullptr;
}

namespace {

// Converters opened on this thread, by code-page pair. Opening one loads and parses glibc's tables
// (several microseconds, more than converting a short unit); a database's pair cannot change its
// meaning, so each thread opens it once and closes it when the thread ends.
class ConverterCache {
 public:
  ConverterCache() = default;
  ConverterCache(const ConverterCache&) = delete;
  ConverterCache& operator=(const ConverterCache&) = delete;
  ~ConverterCache() {
    for (Entry& entry : entries_) {
      if (entry.open) iconv_close(entry.cd);
    }
  }

  // A converter in its initial shift state, or (iconv_t)-1 when glibc has none for the pair.
  iconv_t get(uint16_t from, uint16_t to, const char* fromName, const char* toName) {
    for (Entry& entry : entries_) {
      if (entry.open && entry.from == from && entry.to == to) {
        iconv(entry.cd, nullptr, nullptr, nullptr, nullptr);
        return entry.cd;
      }
    }
    const iconv_t cd = iconv_open(toName, fromName);
    if (cd == reinterpret_cast<iconv_t>(-1)) return cd;
    // An engine's sessions use one or two pairs (in and out); a full cache drops its oldest pair.
    Entry& slot = entries_[next_];
    next_ = (next_ + 1) % std::size(entries_);
    if (slot.open) iconv_close(slot.cd);
    slot = Entry{from, to, cd, true};
    return cd;
  }

 private:
  struct Entry {
    uint16_t from;
    uint16_t to;
    iconv_t cd;
    bool open;
  };
  Entry entries_[4] = {};
  size_t next_ = 0;
};

thread_local ConverterCache converters;

}  // namespace

uint32_t hostConvertCodepage(const char* source, size_t length, uint16_t fromCodePage, uint16_t toCodePage,
                             char* destination, size_t capacity, size_t* left) {
  *left = capacity;
  const char* fromName = hostCodepageName(fromCodePage);
  const char* toName = hostCodepageName(toCodePage);
  if (fromName == nullptr || toName == nullptr) return HOST_CONVERT_UNKNOWN_CODEPAGE;
  iconv_t cd = converters.get(fromCodePage, toCodePage, fromName, toName);
  if (cd == reinterpret_cast<iconv_t>(-1)) return HOST_CONVERT_UNKNOWN_CODEPAGE;
  char* in = const_cast<char*>(source);
  size_t inLeft = length;
  char* out = destination;
  size_t outLeft = capacity;
  uint32_t rc = 0;
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1)) continue;
    rc = errno == E2BIG ? HOST_CONVERT_TRUNCATED : HOST_CONVERT_FAILED;
    break;
  }
  if (rc == 0) {
    // Stateful encodings may need a closing shift sequence.
    if (iconv(cd, nullptr, nullptr, &out, &outLeft) == static_cast<size_t>(-1))
      rc = errno == E2BIG ? HOST_CONVERT_TRUNCATED : HOST_CONVERT_FAILED;
  }
  *left = outLeft;
  return rc;
}

namespace {
char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool asciiEqualIgnoringCaseN(const char* a, const char* b, size_t n) {
  if (a == nullptr || b == nullptr) return a == b;
  for (size_t i = 0; i < n; ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    if (a[i] == '\0') return true;
  }
  return true;
}

bool asciiEqualIgnoringCase(const char* a, const char* b) { return asciiEqualIgnoringCaseN(a, b, SIZE_MAX); }

char* hostInstancePath(char* buffer, size_t size) {
  const char* path = std::getenv("XCOMP_INSTANCE_PATH");
  if (path == nullptr || path[0] == '\0') path = ".";
  const size_t length = std::strlen(path);
  if (length >= size) return nullptr;
  std::memcpy(buffer, path, length + 1);
  return buffer + length;
}

int hostSnprintf(char* buffer, size_t size, const char* format, ...) {
  if (size == 0) return 0;
  va_list args;
  va_start(args, format);
  const int wanted = std::vsnprintf(buffer, size, format, args);
  va_end(args);
  if (wanted < 0) {
    buffer[0] = '\0';
    return 0;
  }
  return static_cast<size_t>(wanted) >= size ? static_cast<int>(size - 1) : wanted;
}

int ThreadSlot::create() { return slotFails ? 1 : 0; }

int ThreadSlot::set(void* value) {
  if (slotFails) return 1;
  slotValue = value;
  return 0;
}

int ThreadSlot::get(void** value) const {
  if (slotFails) return 1;
  *value = slotValue;
  return 0;
}

int ThreadSlot::destroy() {
  slotValue = nullptr;
  return 0;
}

void hostFailThreadSlot(bool fail) { slotFails = fail; }

uint32_t componentTraceFlags() { return 0; }
void hostTraceEntry(int /*functionNumber*/) {}
void hostTraceExit(int /*functionNumber*/, int /*returnCode*/) {}
