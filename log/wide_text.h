// Wide text in log lines (the launcher):
//
//   #include "log/wide_text.h"
//   LOG(logging::Info) << "par: " << params;   // params: std::wstring
//
// The insertion operators below convert with WideToAnsi. They are in the
// global namespace: a call site inside a namespace that declares operator<<
// of its own must say `using ::operator<<;`, or the pointer overload of
// std::ostream would print the address of a wide C string.
#pragma once

#include <ostream>
#include <string>

namespace logging {

// Converts wide text to 8-bit text in the Chinese (Simplified) ANSI code page:
// switches the whole C locale to "chs", converts with wcstombs into a
// zero-filled buffer of 2 * length + 1 bytes, and switches the locale back.
// The result ends at the first character that cannot be converted. Where
// "chs" does not exist (native builds) the text is converted in the current
// C locale. Calls of WideToAnsi from several threads are serialised, but the
// locale change is seen by the whole process while it lasts.
std::string WideToAnsi(const wchar_t* text);
std::string WideToAnsi(const std::wstring& text);

}  // namespace logging

std::ostream& operator<<(std::ostream& out, const wchar_t* text);
std::ostream& operator<<(std::ostream& out, const std::wstring& text);
