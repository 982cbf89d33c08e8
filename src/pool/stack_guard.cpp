// stack_guard.cpp - the depth guard of the tree walks. The engine calls the library on its own threads,
// whose stacks may be small; the walks recurse once per nesting level, so a deep enough tree would run
// off the end of such a stack. Unwinding to the driver turns that into a statement-too-big report.
#include "pool/pool.h"

#include "host/host.h"

void checkStackRoom(int32_t line) {
  if (hostStackRemaining() < stackReserve) throw PoolExhausted{recoveryStackExhausted, line};
}
