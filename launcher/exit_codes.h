// The launcher's process exit codes.
#pragma once

namespace launcher {

inline constexpr int kExitDone = 0;
// The client runs but the link could not be handed to it.
inline constexpr int kExitLinkNotDelivered = 1;

}  // namespace launcher
