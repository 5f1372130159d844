#include "ui/attribute_values.h"

#include <climits>
#include <cstdint>
#include <vector>

namespace ui {
namespace {

// Splits at commas; each part is trimmed of blanks.
std::vector<std::wstring_view> SplitList(std::wstring_view text)
{
    std::vector<std::wstring_view> parts;
    for (;;) {
        const std::size_t comma = text.find(L',');
        std::wstring_view part = text.substr(0, comma);
        while (!part.empty() && part.front() == L' ')
            part.remove_prefix(1);
        while (!part.empty() && part.back() == L' ')
            part.remove_suffix(1);
        parts.push_back(part);
        if (comma == std::wstring_view::npos) return parts;
        text.remove_prefix(comma + 1);
    }
}

bool ParseInts(std::wstring_view text, int* values, std::size_t count)
{
    const std::vector<std::wstring_view> parts = SplitList(text);
    if (parts.size() != count) return false;
    for (std::size_t i = 0; i < count; ++i) {
        if (!ParseInt(parts[i], values[i])) return false;
    }
    return true;
}

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

bool ParseInt(std::wstring_view text, int& out)
{
    bool negative = false;
    if (!text.empty() && text.front() == L'-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) return false;
    std::int64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
    }
    if (negative) value = -value;
    if (value < INT_MIN || value > INT_MAX) return false;
    out = static_cast<int>(value);
    return true;
}

bool ParseBool(std::wstring_view text, bool& out)
{
    if (text == L"true") {
        out = true;
    } else if (text == L"false") {
        out = false;
    } else {
        return false;
    }
    return true;
}

bool ParseColor(std::wstring_view text, Color& out)
{
    if (text.empty() || text.front() != L'#') return false;
    text.remove_prefix(1);
    if (text.size() != 6 && text.size() != 8) return false;
    Color value = 0;
    for (wchar_t c : text) {
        const int digit = HexDigit(c);
        if (digit < 0) return false;
        value = (value << 4) | static_cast<Color>(digit);
    }
    out = text.size() == 6 ? (0xFF000000u | value) : value;
    return true;
}

bool ParseEdges(std::wstring_view text, Edges& out)
{
    int v[4];
    if (!ParseInts(text, v, 4)) return false;
    out = Edges{v[0], v[1], v[2], v[3]};
    return true;
}

bool ParseSize(std::wstring_view text, Size& out)
{
    int v[2];
    if (!ParseInts(text, v, 2) || v[0] < 0 || v[1] < 0) return false;
    out = Size{v[0], v[1]};
    return true;
}

bool ParseAlign(std::wstring_view text, Align& out)
{
    if (text == L"left") {
        out = Align::Left;
    } else if (text == L"center") {
        out = Align::Center;
    } else if (text == L"right") {
        out = Align::Right;
    } else {
        return false;
    }
    return true;
}

}  // namespace ui
