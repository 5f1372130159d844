// Entry names: decoding, the rules that make them relative, and the test
// that keeps them inside the folder they are extracted into.
#pragma once

#include <string>

// Decodes a raw entry name as UTF-8 whatever the entry's flags say. The name
// ends at its first zero byte; an invalid sequence becomes U+FFFD.
std::wstring DecodeUtf8Name(const std::string& raw);

// Drops a drive, leading separators and everything up to a ".." element that
// follows a separator, repeating until nothing changes:
// "C:\x\a.txt" -> "x\a.txt", "a\..\b\..\c.txt" -> "c.txt".
std::wstring MakeSafeName(const std::wstring& name);

// Absolute: starts with '\' or '/', or has a drive ("C:").
bool IsAbsoluteName(const std::wstring& name);

// A relative name none of whose elements can reach a parent folder: no
// element made of dots and blanks only with two dots or more ("..", "...",
// ".. "; Windows trims trailing dots and blanks, so all of these act as "..").
bool StaysInsideFolder(const std::wstring& name);
