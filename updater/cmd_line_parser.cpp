#include "updater/cmd_line_parser.h"

#include <utility>

namespace {

const wchar_t kKeyIntroducer = L'-';
const wchar_t kSeparator = L'=';
const wchar_t kQuote = L'"';
const wchar_t kValueEnd = L' ';  // a tab does not end a value

}  // namespace

CCmdLineParser::CCmdLineParser(const wchar_t* text) : caseSensitive(false)
{
    if (text != nullptr) Parse(text);
}

CCmdLineParser::~CCmdLineParser() = default;

void CCmdLineParser::Parse(const wchar_t* text)
{
    cmdLine = text != nullptr ? text : L"";
    values.clear();

    const std::wstring& s = cmdLine;
    const auto npos = std::wstring::npos;
    std::wstring::size_type p = 0;
    for (;;) {
        const auto hyphen = s.find(kKeyIntroducer, p);
        if (hyphen == npos) return;
        const auto keyBegin = hyphen + 1;
        if (keyBegin == s.size()) return;

        // The separator may lie past blanks and further hyphens: "-a -b=1" is
        // the key "a -b".
        const auto separator = s.find(kSeparator, keyBegin);
        if (separator == npos) {
            AddPair(s.substr(keyBegin), std::wstring());
            return;
        }
        std::wstring key = s.substr(keyBegin, separator - keyBegin);
        const auto valueStart = separator + 1;
        if (valueStart == s.size()) {
            AddPair(std::move(key), std::wstring());
            return;
        }

        const bool quoted = s[valueStart] == kQuote;
        const auto valueBegin = quoted ? valueStart + 1 : valueStart;
        const auto valueEnd = s.find(quoted ? kQuote : kValueEnd, valueBegin);
        if (valueEnd == npos) {
            AddPair(std::move(key), s.substr(valueBegin));
            return;
        }
        AddPair(std::move(key), s.substr(valueBegin, valueEnd - valueBegin));
        p = valueEnd + 1;
        if (p == s.size()) return;
    }
}

const std::wstring* CCmdLineParser::FindKey(const std::wstring& key) const
{
    const auto entry = values.find(FoldKey(key));
    return entry != values.end() ? &entry->second : nullptr;
}

void CCmdLineParser::AddPair(std::wstring key, std::wstring value)
{
    if (key.empty()) return;
    // emplace leaves an existing entry alone: the first occurrence wins.
    values.emplace(FoldKey(std::move(key)), std::move(value));
}

std::wstring CCmdLineParser::FoldKey(std::wstring key) const
{
    if (caseSensitive) return key;
    for (wchar_t& c : key) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return key;
}
