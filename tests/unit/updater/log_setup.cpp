// The test program's logger: every line goes to the debugger output, which
// the native build keeps in memory for TakeDebugOutput.
#include "log/log.h"

namespace logging {
const char logTag[] = "KMX";
QxLogger theLogger({/*stdEnabled*/ false, /*dbgEnabled*/ true, /*fileEnabled*/ false}, {SinkKind::Debugger});
}  // namespace logging
