// How the launcher reads its command line: a tuvora:// link anywhere in it,
// or plain parameters for the client.
#pragma once

#include <string>

namespace launcher {

inline constexpr wchar_t kSchemePrefix[] = L"tuvora://";

struct LaunchCommand {
    // The command line holds the scheme prefix (exact letter case).
    bool hasLink = false;
    // Everything after the first prefix, unchanged (quotation marks and a
    // second prefix included); empty without a link.
    std::wstring tail;
    // What the client is started with: the tail, or without a link the
    // whole command line.
    std::wstring parameters;
};

LaunchCommand ParseLaunchCommand(const std::wstring& commandLine);

}  // namespace launcher
