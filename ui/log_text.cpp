#include "ui/log_text.h"

namespace ui {

std::string Narrow(std::wstring_view text)
{
    std::string out;
    for (wchar_t c : text)
        out.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace ui
