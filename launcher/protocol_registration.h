// What the launcher writes below HKEY_CLASSES_ROOT so that tuvora:// links
// open it.
#pragma once

#include <string>
#include <vector>

namespace launcher {

inline constexpr wchar_t kProtocolKey[] = L"tuvora";
inline constexpr wchar_t kProtocolCommandKey[] = L"tuvora\\shell\\open\\command";
// The shell treats a key as a URL scheme only when it has this value.
inline constexpr wchar_t kUrlProtocolValue[] = L"URL Protocol";
inline constexpr wchar_t kProtocolDescription[] = L"URL:tuvora Protocol";

// "<launcherPath>" "%1": the path in quotation marks, so one with blanks
// still reaches the shell as one argument, and the link as the other.
std::wstring ProtocolCommand(const std::wstring& launcherPath);

// The REG_SZ data for a text: the text, then zeros up to at least 260
// characters (the size the value has always been written with), and always
// at least one terminating zero however long the text is.
std::vector<wchar_t> RegistryStringData(const std::wstring& text);

}  // namespace launcher
