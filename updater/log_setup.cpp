// The updater's log tag and logger: every line goes to the debugger output.
#include "log/log.h"

namespace logging {

const char logTag[] = "KMX";

QxLogger theLogger({/*stdEnabled*/ true, /*dbgEnabled*/ true, /*fileEnabled*/ false}, {SinkKind::Debugger});

}  // namespace logging
