#include "updater/download/http_message.h"

#include <cctype>
#include <cstring>
#include <limits>
#include <system_error>

#include "log/log.h"
#include "updater/download/http_diagnostics.h"

namespace {

const char kHeadTerminator[] = "\r\n\r\n";
const std::size_t kTerminatorSize = 4;

std::string CommonRequestHead(const std::string& urlPath, const std::string& host)
{
    std::string request;
    request.reserve(urlPath.size() + host.size() + 160);
    request += "GET ";
    request += urlPath;
    request += " HTTP/1.1\r\n";
    request += "Host: ";
    request += host;
    request += "\r\n";
    request += "Accept: */*\r\n";
    request += "Pragma: no-cache\r\n";
    request += "Cache-Control: no-cache\r\n";
    request += "Connection: close\r\n";
    return request;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Leading white space skipped, digits up to the first non-digit; no digits
// give 0. Saturates instead of overflowing.
std::int64_t ReadSize(const char* text, const char* end)
{
    while (text != end && std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    const std::int64_t max = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; text != end && IsDigit(*text); ++text) {
        const int digit = *text - '0';
        if (value > (max - digit) / 10) return max;
        value = value * 10 + digit;
    }
    return value;
}

// The status number after the version: optional blanks, optional sign,
// digits. False when there is no digit.
bool ReadStatus(const char* text, const char* end, int& status)
{
    while (text != end && IsBlank(*text))
        ++text;
    bool negative = false;
    if (text != end && (*text == '+' || *text == '-')) {
        negative = *text == '-';
        ++text;
    }
    if (text == end || !IsDigit(*text)) return false;
    long long value = 0;
    for (; text != end && IsDigit(*text); ++text) {
        value = value * 10 + (*text - '0');
        if (value > std::numeric_limits<int>::max()) value = std::numeric_limits<int>::max();
    }
    status = static_cast<int>(negative ? -value : value);
    return true;
}

// When `line` starts with header `name` (ASCII case ignored), the value:
// the rest without leading blanks and without a trailing '\r'.
bool HeaderValue(const std::string& line, const char* name, std::string& value)
{
    if (!StartsWithNoCase(line, name)) return false;
    std::size_t begin = std::strlen(name);
    while (begin < line.size() && IsBlank(line[begin]))
        ++begin;
    std::size_t end = line.size();
    if (end > begin && line[end - 1] == '\r') --end;
    value.assign(line, begin, end - begin);
    return true;
}

void ReadHeaderLine(const std::string& line, ResponseHeader& header)
{
    std::string value;
    if (HeaderValue(line, "Content-Length:", value)) {
        header.totalSize = ReadSize(value.data(), value.data() + value.size());
    } else if (HeaderValue(line, "Content-Range:", value)) {
        if (!StartsWithNoCase(value, "bytes")) return;
        const std::size_t slash = value.find('/');
        if (slash == std::string::npos) return;
        const std::int64_t size = ReadSize(value.data() + slash + 1, value.data() + value.size());
        if (size != 0) header.totalSize = size;
    } else if (HeaderValue(line, "Location:", value)) {
        header.location = value;
    }
}

}  // namespace

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    const std::size_t size = std::strlen(prefix);
    if (text.size() < size) return false;
    for (std::size_t i = 0; i < size; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

HostPort SplitHostPort(const std::string& host)
{
    const std::size_t colon = host.find(':');
    if (colon == std::string::npos) return {host, "80"};
    return {host.substr(0, colon), host.substr(colon + 1)};
}

std::string BuildProbeRequest(const std::string& urlPath, const std::string& host)
{
    return CommonRequestHead(urlPath, host) + "Range: bytes=0- \r\n\r\n";
}

std::string BuildSegmentRequest(const std::string& urlPath, const std::string& host, std::int64_t start)
{
    return CommonRequestHead(urlPath, host) + "Range: bytes=" + std::to_string(start) + "- \r\n\r\n";
}

std::optional<std::size_t> ResponseHeadBuffer::Append(const char* data, std::size_t size)
{
    if (headEnd_) return headEnd_;
    bytes_.append(data, size);
    const std::size_t found = bytes_.find(kHeadTerminator, scanned_);
    if (found != std::string::npos) {
        headEnd_ = found;
    } else if (bytes_.size() >= kTerminatorSize) {
        // A terminator split over reads starts in the last three bytes.
        scanned_ = bytes_.size() - (kTerminatorSize - 1);
    }
    return headEnd_;
}

bool ParseResponseHeader(ResponseHeader& header, std::string& buffer, std::size_t headEnd,
                         const std::filesystem::path& mergedFile)
{
    if (headEnd > buffer.size()) headEnd = buffer.size();
    const char* const head = buffer.data();
    const char* const headStop = head + headEnd;

    // Status line: version token, then the status number; the rest is skipped.
    const char* cursor = head;
    while (cursor != headStop && std::isspace(static_cast<unsigned char>(*cursor)))
        ++cursor;
    const char* tokenEnd = cursor;
    while (tokenEnd != headStop && !std::isspace(static_cast<unsigned char>(*tokenEnd)))
        ++tokenEnd;
    header.httpVersion.assign(cursor, tokenEnd);
    const char* lineEnd = static_cast<const char*>(std::memchr(tokenEnd, '\n', headStop - tokenEnd));
    if (!lineEnd) lineEnd = headStop;
    ReadStatus(tokenEnd, lineEnd, header.statusCode);

    // Header lines up to the end of the head or an empty line.
    const char* lineStart = lineEnd == headStop ? headStop : lineEnd + 1;
    while (lineStart < headStop) {
        const char* next = static_cast<const char*>(std::memchr(lineStart, '\n', headStop - lineStart));
        if (!next) next = headStop;
        if (next == lineStart) break;
        ReadHeaderLine(std::string(lineStart, next), header);
        lineStart = next + 1;
    }

    if (header.httpVersion.compare(0, 5, "HTTP/") != 0) {
        WriteHttpDiagnostic("Invalid response\n");
        return false;
    }
    if (header.statusCode == 200 || header.statusCode == 206) {
        buffer.erase(0, std::min(buffer.size(), headEnd + kTerminatorSize));
        return true;
    }
    WriteHttpDiagnostic("Response returned with status code " + std::to_string(header.statusCode) + "\n");
    if (header.statusCode == 416 && !mergedFile.empty()) {
        std::error_code ignored;
        std::filesystem::remove(mergedFile, ignored);
    }
    return false;
}

bool ParseLocation(const std::string& location, std::string& host, std::string& urlPath)
{
    if (location.empty()) return false;
    const bool absolute = StartsWithNoCase(location, "http://");
    const bool networkPath = !absolute && location.compare(0, 2, "//") == 0;
    // Any other scheme ("https:", "ftp:") names a server we cannot speak to.
    const std::size_t colon = location.find(':');
    if (!absolute && !networkPath && colon != std::string::npos && colon < location.find_first_of("/?")) {
        LOG(logging::Error) << "redirect refused, only http is supported: " << location;
        return false;
    }

    std::string newHost = host;
    std::string newPath;
    if (absolute || networkPath) {
        const std::string rest = location.substr(absolute ? 7 : 2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string::npos || slash == 0) return false;
        newHost = rest.substr(0, slash);
        newPath = rest.substr(slash);
    } else if (location[0] == '/') {
        newPath = location;
    } else {
        // Relative to the folder of the current path, its query left out.
        const std::string withoutQuery = urlPath.substr(0, urlPath.find('?'));
        const std::size_t lastSlash = withoutQuery.rfind('/');
        newPath =
            (lastSlash == std::string::npos ? std::string("/") : withoutQuery.substr(0, lastSlash + 1)) +
            location;
    }
    if (newHost.empty()) return false;
    host = newHost;
    urlPath = newPath;
    return true;
}
