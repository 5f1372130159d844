// The message a running client receives on its pipe: the link's tail in the
// ANSI code page, then one zero byte, in a buffer of fixed size.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace launcher {

// The most the client reads from one connection, zero byte included.
inline constexpr std::size_t kPipeMessageCapacity = 10240;

// ansiTail: the tail already converted, without a terminating zero. No
// message when it does not fit: a cut link would open the wrong page.
std::optional<std::string> MakePipeMessage(const std::string& ansiTail);

}  // namespace launcher
