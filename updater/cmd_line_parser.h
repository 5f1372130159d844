// Splits a command-line tail into key/value pairs:
//
//   -url=http://server/update.zip -md5=0123... -pagecallparam="a b"
//
// A key follows a hyphen and ends at the next '='; a value ends at the next
// space, or is written in double quotes (no escapes). Nothing is rejected:
// unrecognised text is skipped, and the first occurrence of a key wins.
#pragma once

#include <map>
#include <string>

class CCmdLineParser {
public:
    // A null text parses nothing.
    explicit CCmdLineParser(const wchar_t* cmdLine = nullptr);
    virtual ~CCmdLineParser();

    // Replaces the stored command line and rebuilds values from it.
    void Parse(const wchar_t* cmdLine);

    // The value stored for key, or null when the key was not given.
    const std::wstring* FindKey(const std::wstring& key) const;

    std::wstring cmdLine;
    std::map<std::wstring, std::wstring> values;
    bool caseSensitive;

private:
    void AddPair(std::wstring key, std::wstring value);
    std::wstring FoldKey(std::wstring key) const;
};
