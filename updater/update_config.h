// The update's settings, taken from the updater's command line:
//
//   -url=[http://]host/path -md5=<digest> -pagecallparam=<text> -forcedupdate=<n>
//
// Byte strings are in the ANSI code page; paths are wide.
#pragma once

#include <cstdint>
#include <string>

struct UpdateConfig {
    std::string url;             // the "url" value, then '?' and zipMd5
    std::wstring zipPath;        // the downloaded package, beside the executable
    std::string zipMd5;          // digest the package must match
    std::wstring clientDic;      // installation's parent folder, '\' at the end
    std::wstring clientExePath;  // the launcher, in the installation folder
    bool launchAfterInstall = false;
    std::string host;               // may carry a ":port"
    std::string urlPath;            // starts with '/' when the url had a path
    std::string pagecallparam;      // handed to the launcher after installing
    std::int32_t forcedupdate = 0;  // 1: notice and close the client first;
                                    // any nonzero: installing is mandatory.
                                    // Read like wide atoi; out-of-range
                                    // values saturate.
};

// Fills every field of config from the command-line tail, relative to the
// running executable's folder, and logs the result at Trace level.
// Values are taken as given: nothing is rejected.
void parseZipConf(UpdateConfig& config, const std::wstring& cmdTail);

// As above, with the executable's folder given (a Windows path ending in a
// backslash) instead of asked for.
void parseZipConf(UpdateConfig& config, const std::wstring& cmdTail, const std::wstring& moduleDir);

struct HttpUrlParts {
    std::string host;
    std::string urlPath;
};

// Splits "[http://]host/path" at the first '/' after the optional prefix.
// Only the exact lower-case "http://" is recognised as a prefix; a url without
// a '/' is all path and no host.
HttpUrlParts SplitHttpUrl(const std::wstring& url);
