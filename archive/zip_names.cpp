#include "archive/zip_names.h"

#include <cstdint>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(std::wstring& out, char32_t c)
{
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

}  // namespace

std::wstring DecodeUtf8Name(const std::string& raw)
{
    std::wstring out;
    const std::size_t end = raw.find('\0') == std::string::npos ? raw.size() : raw.find('\0');
    std::size_t i = 0;
    while (i < end) {
        const auto lead = static_cast<unsigned char>(raw[i]);
        if (lead < 0x80) {
            out += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        int extra = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, c = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, c = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, c = lead & 0x07, minimum = 0x10000;
        } else {
            AppendCodePoint(out, kReplacement);
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        for (; j < end && j <= i + extra; ++j) {
            const auto next = static_cast<unsigned char>(raw[j]);
            if ((next & 0xC0) != 0x80) break;
            c = (c << 6) | (next & 0x3F);
        }
        const bool complete = j == i + 1 + extra;
        if (!complete || c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            // The lead and the continuation bytes read so far are one bad sequence.
            AppendCodePoint(out, kReplacement);
            i = j;
            continue;
        }
        AppendCodePoint(out, c);
        i = j;
    }
    return out;
}

std::wstring MakeSafeName(const std::wstring& name)
{
    static const wchar_t* const kParentPatterns[] = {L"\\..\\", L"\\../", L"/../", L"/..\\"};
    // Rules only ever drop a prefix, so the name is name.substr(start); the
    // first occurrence of each pattern is remembered, which keeps hostile
    // names of thousands of elements linear.
    std::size_t start = 0;
    std::size_t found[4] = {0, 0, 0, 0};
    bool known[4] = {false, false, false, false};
    for (;;) {
        const std::size_t length = name.size() - start;
        if (length >= 2 && name[start + 1] == L':') {
            start += 2;
            continue;
        }
        if (length >= 1 && IsSeparator(name[start])) {
            ++start;
            continue;
        }
        bool changed = false;
        for (int rule = 0; rule < 4; ++rule) {
            if (!known[rule] || (found[rule] != std::wstring::npos && found[rule] < start)) {
                found[rule] = name.find(kParentPatterns[rule], start);
                known[rule] = true;
            }
            if (found[rule] != std::wstring::npos) {
                start = found[rule] + 4;
                changed = true;
                break;
            }
        }
        if (!changed) return name.substr(start);
    }
}

bool IsAbsoluteName(const std::wstring& name)
{
    return (!name.empty() && IsSeparator(name[0])) || (name.size() >= 2 && name[1] == L':');
}

bool StaysInsideFolder(const std::wstring& name)
{
    if (IsAbsoluteName(name)) return false;
    std::size_t elementStart = 0;
    while (elementStart <= name.size()) {
        std::size_t elementEnd = elementStart;
        while (elementEnd < name.size() && !IsSeparator(name[elementEnd]))
            ++elementEnd;
        int dots = 0;
        bool onlyDotsAndBlanks = true;
        for (std::size_t i = elementStart; i < elementEnd; ++i) {
            if (name[i] == L'.') {
                ++dots;
            } else if (name[i] != L' ') {
                onlyDotsAndBlanks = false;
                break;
            }
        }
        if (onlyDotsAndBlanks && dots >= 2) return false;
        elementStart = elementEnd + 1;
    }
    return true;
}
