// Conversions between byte strings in the user's default ANSI code page and
// wide strings, through the C run-time under the user's default locale.
//
// The first call in the process sets the C run-time's character-type locale
// category to the user's default; the setting stays for the process.
//
// A text that cannot be converted as a whole (an invalid byte sequence, or a
// character the code page lacks) gives an empty result: a half-converted
// file name could name a different file.
#pragma once

#include <string>

std::wstring MultiByteToWide(const std::string& text);
std::string WideToMultiByte(const std::wstring& text);
