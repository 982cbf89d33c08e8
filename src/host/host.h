// host.h - the services the library takes from its host: session values, memory blocks, code-page
// conversion, the instance path, bounded formatting, the per-thread slot and trace hooks.
// Outside an engine these are our own thin shims (environment, C heap, iconv, thread_local).
// The ground floor: may use the C++ and C libraries, ODBC (call_interface.h) and the public header's
// SQLCA record; every other subsystem may use it.
#pragma once

#include <cstddef>
#include <cstdint>

// The four values of the current database that shape a compilation, and whether they were all valid.
struct HostStaticData {
  uint16_t codePage;  // database code page; XCOMP_CODEPAGE_UTF8 is UTF-8
  char stringUnits;   // 'S' SYSTEM, '4' CODEUNITS32
  char compatMode;    // '0' NUV, '1' QPX, '2' ORA
  char ncharMapping;  // '0' NOT_APPLICABLE, '1' GRAPHIC_CU16, '2' GRAPHIC_CU32, '3' CHAR_CU32
  // Empty when every value that is set is one a session can have; otherwise a message naming the first
  // that is not and its value (cut to keep the message within the 69 bytes an SQLCA message holds).
  char problem[70];
};

// The session values, each read once per call. Outside an engine: XCOMP_CODEPAGE (default
// XCOMP_CODEPAGE_UTF8), XCOMP_STRING_UNITS ('S'), XCOMP_COMPAT ('0'), XCOMP_NCHAR_MAPPING ('0'). A code
// page is 1 to 65535 in decimal digits, each of the other three one character (a character without a
// name, such as string units 'x', is a value: the dump shows it as "ERROR"). Unset means the default;
// set but not a value (empty, longer than one character, not a code page) reads as the default and is
// named in `problem`.
HostStaticData hostStaticData();

// A block of at least `size` bytes, 8-byte aligned, not zeroed. *returnCode is 0 on success; on failure
// it is non-zero and the block is null. `sourceFile` and `failurePoint` name the caller for diagnostics.
// Blocks are carved per thread from large chunks; between compilations a thread keeps what its recent
// ones needed (within a floor and a cap) and a few freed large blocks warm, and returns the rest.
void* hostGetMemoryBlock(size_t size, uint32_t* returnCode, const char* sourceFile, int failurePoint);

// Returns a block from hostGetMemoryBlock, on any thread. Null is ignored.
void hostFreeMemoryBlock(const char* sourceFile, int failurePoint, void* block);

// Returns the memory this thread keeps for later compilations to the system (blocks still live stay).
void hostTrimThreadMemory();

// Test hook: the nth block request from now on this thread (1 = the next one) fails; 0 disarms.
// Returns how many requests this thread has made since the last arming, so a test can find the end.
void hostFailNthBlock(uint64_t n);
uint64_t hostBlockRequestCount();

// Output of the converter was cut short at the capacity (both mean truncation, never failure).
constexpr uint32_t HOST_CONVERT_TRUNCATED = 0x870F00BC;
constexpr uint32_t HOST_CONVERT_TRUNCATED_CHAR = 0x870F00C0;
constexpr uint32_t HOST_CONVERT_FAILED = 0x870F0001;
constexpr uint32_t HOST_CONVERT_UNKNOWN_CODEPAGE = 0x870F0002;

// Converts `length` bytes of `source` from one code page to another into `destination` (capacity
// bytes). Returns 0 on success, a truncation code when the output did not fit (what fitted is
// written), any other code on failure. *left is the unused capacity. Conversion between the same
// code page copies.
uint32_t hostConvertCodepage(const char* source, size_t length, uint16_t fromCodePage, uint16_t toCodePage,
                             char* destination, size_t capacity, size_t* left);

// The iconv name of a code page, or null when the code page is not known.
const char* hostCodepageName(uint16_t codePage);

// Separates the parts of the dump file's path on this platform.
constexpr char HOST_PATH_SEPARATOR = '/';

// Writes the instance directory (XCOMP_INSTANCE_PATH, default ".") into buffer and returns the position
// after it (at its NUL). Null when the path and its NUL do not fit `size`: a path cut short names some
// other file.
char* hostInstancePath(char* buffer, size_t size);

// Name comparisons ignoring ASCII case only, whatever the process locale (an engine may run under one
// where 'i' and 'I' do not fold, as strcasecmp would make them). Null equals only null.
bool asciiEqualIgnoringCase(const char* a, const char* b);
// The same over the first n bytes of each (shorter strings compare up to their NUL).
bool asciiEqualIgnoringCaseN(const char* a, const char* b, size_t n);

// Bytes of the calling thread's stack left below the caller's frame; SIZE_MAX when the platform does
// not tell the stack's bounds.
size_t hostStackRemaining();

// snprintf that always NUL-terminates (when size > 0) and returns the length written.
int hostSnprintf(char* buffer, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));

// One process-wide slot with a value per thread. Each operation returns 0 on success.
class ThreadSlot {
 public:
  int create();
  int set(void* value);
  int get(void** value) const;
  int destroy();
};

// Test hook: makes the slot's operations on this thread fail (for the context-creation failure path).
void hostFailThreadSlot(bool fail);

// Trace gate; the hooks record nothing outside an engine.
uint32_t componentTraceFlags();
void hostTraceEntry(int functionNumber);
void hostTraceExit(int functionNumber, int returnCode);
