// The launcher's log tag and logger: every line goes to the debugger output,
// then to standard error.
#include "log/log.h"

namespace logging {

const char logTag[] = "PWX";

QxLogger theLogger({/*stdEnabled*/ true, /*dbgEnabled*/ true, /*fileEnabled*/ true},
                   {SinkKind::Debugger, SinkKind::StdErr});

}  // namespace logging
