// Wide text for log lines and error messages: printable ASCII is kept,
// anything else shows as '?'. Enough for file, element and control names.
#pragma once

#include <string>
#include <string_view>

namespace ui {

std::string Narrow(std::wstring_view text);

}  // namespace ui
