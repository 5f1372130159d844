#include "updater/update_config.h"

#include <climits>
#include <utility>

#include "log/log.h"
#include "common/client_names.h"
#include "updater/cmd_line_parser.h"
#include "updater/platform.h"

namespace {

const wchar_t kBackslash = L'\\';

std::wstring ValueOf(const CCmdLineParser& parser, const wchar_t* key)
{
    const std::wstring* value = parser.FindKey(key);
    return value != nullptr ? *value : std::wstring();
}

// The text before its last backslash; empty when there is none.
std::wstring CutAtLastBackslash(const std::wstring& text)
{
    const auto last = text.rfind(kBackslash);
    return last == std::wstring::npos ? std::wstring() : text.substr(0, last);
}

// The text up to and including its last backslash; empty when there is none.
std::wstring KeepThroughLastBackslash(const std::wstring& text)
{
    const auto last = text.rfind(kBackslash);
    return last == std::wstring::npos ? std::wstring() : text.substr(0, last + 1);
}

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// Reads like the C run-time's wide atoi: leading blanks, an optional sign,
// then digits up to the first non-digit; 0 when there are none. Out-of-range
// numbers saturate at INT32_MIN / INT32_MAX.
std::int32_t ReadLeadingDecimal(const std::wstring& text)
{
    std::wstring::size_type i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    // Accumulate the magnitude in 64 bits and stop growing it once it is past
    // any 32-bit value, so no arithmetic can overflow.
    const std::int64_t limit = static_cast<std::int64_t>(INT32_MAX) + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        if (magnitude <= limit) magnitude = magnitude * 10 + (text[i] - L'0');
    }
    if (negative) return magnitude >= limit ? INT32_MIN : static_cast<std::int32_t>(-magnitude);
    return magnitude > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

}  // namespace

void parseZipConf(UpdateConfig& config, const std::wstring& cmdTail)
{
    parseZipConf(config, cmdTail, GetModuleDir());
}

void parseZipConf(UpdateConfig& config, const std::wstring& cmdTail, const std::wstring& moduleDir)
{
    const CCmdLineParser parser(cmdTail.c_str());
    const std::wstring url = ValueOf(parser, L"url");
    const std::wstring md5 = ValueOf(parser, L"md5");
    const std::wstring pagecallparam = ValueOf(parser, L"pagecallparam");
    const std::wstring forcedupdate = ValueOf(parser, L"forcedupdate");

    config = UpdateConfig();
    config.url = WideToThreadAnsi(url);
    config.zipPath = moduleDir + client::kStagedPackage;
    config.zipMd5 = WideToThreadAnsi(md5);
    config.url += "?" + config.zipMd5;
    config.pagecallparam = WideToThreadAnsi(pagecallparam);
    config.launchAfterInstall = true;

    // The executable runs from the installation's staging folder: the launcher
    // is one folder up, and a forced installation extracts one further up.
    const std::wstring moduleFolder = CutAtLastBackslash(moduleDir);
    const std::wstring installDir = KeepThroughLastBackslash(moduleFolder);
    config.clientDic = KeepThroughLastBackslash(CutAtLastBackslash(moduleFolder));
    config.clientExePath = installDir + client::kLauncherExe;

    HttpUrlParts parts = SplitHttpUrl(url);
    config.host = std::move(parts.host);
    config.urlPath = std::move(parts.urlPath);
    config.forcedupdate = ReadLeadingDecimal(forcedupdate);

    LOG(logging::Trace) << "zipPath: " << WideToThreadAnsi(config.zipPath);
    LOG(logging::Trace) << "zipMd5: " << config.zipMd5;
    LOG(logging::Trace) << "clientDic: " << logging::QuotedPath(WideToThreadAnsi(config.clientDic));
    LOG(logging::Trace) << "clientExePath: " << logging::QuotedPath(WideToThreadAnsi(config.clientExePath));
}

HttpUrlParts SplitHttpUrl(const std::wstring& url)
{
    const std::wstring prefix = L"http://";
    const std::wstring s = url.compare(0, prefix.size(), prefix) == 0 ? url.substr(prefix.size()) : url;
    const auto slash = s.find(L'/');
    HttpUrlParts parts;
    if (slash == std::wstring::npos) {
        parts.urlPath = WideToThreadAnsi(s);
    } else {
        parts.host = WideToThreadAnsi(s.substr(0, slash));
        parts.urlPath = WideToThreadAnsi(s.substr(slash));
    }
    return parts;
}
