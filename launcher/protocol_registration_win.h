// Registering the launcher as the handler of tuvora:// links.
#pragma once

namespace launcher {

// Points the tuvora scheme's open command at this executable, and marks the
// scheme as a URL protocol when that is missing. Failures end it early; the
// caller goes on in every case.
void WriteRegFun();

}  // namespace launcher
