#include "updater/install/process_name.h"

namespace {
unsigned UpperAscii(unsigned c)
{
    return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}
}  // namespace

bool ProcessNameMatches(std::string_view name, std::wstring_view exeFile)
{
    if (name.size() != exeFile.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned byte = static_cast<unsigned char>(name[i]);
        if (byte > 127) return false;
        if (UpperAscii(byte) != UpperAscii(static_cast<unsigned>(exeFile[i]))) return false;
    }
    return true;
}
