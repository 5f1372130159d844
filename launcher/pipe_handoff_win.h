// Handing a link to the running client through its named pipe.
#pragma once

#include <string>

namespace launcher {

// Writes the tail, in the ANSI code page with one zero byte after it, to the
// client's pipe as one message. Returns the launcher's exit code: 1 when the
// pipe cannot be opened or the message does not fit, else 0.
int HandOffLink(const std::wstring& tail);

}  // namespace launcher
