// What the downloader sends and how it reads what comes back: plain
// HTTP/1.1, one request per connection, no TLS, no chunked coding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

struct HostPort {
    std::string name;     // handed to name resolution
    std::string service;  // a port number or a service name
};

// "srv:8080" -> {"srv", "8080"}; "srv" -> {"srv", "80"}. Split at the first
// ':'; the service is passed on as given, even when empty.
HostPort SplitHostPort(const std::string& host);

// The request that asks for the whole package from byte 0 (to learn its size).
std::string BuildProbeRequest(const std::string& urlPath, const std::string& host);
// The request for the package's bytes from `start` on.
std::string BuildSegmentRequest(const std::string& urlPath, const std::string& host, std::int64_t start);

// Collects a response's first bytes, read by read, until the head's
// terminating blank line is seen, wherever the reads split it.
class ResponseHeadBuffer {
public:
    // Heads longer than this are refused: a peer that never ends its head
    // must not make us buffer without bound.
    static constexpr std::size_t kMaxHeadSize = 64 * 1024;

    // Adds received bytes. Returns the index of the first "\r\n\r\n" once
    // the bytes so far contain it.
    std::optional<std::size_t> Append(const char* data, std::size_t size);
    // True when kMaxHeadSize bytes arrived without a terminator.
    bool Overflowed() const { return bytes_.size() > kMaxHeadSize && !headEnd_; }

    std::string& bytes() { return bytes_; }

private:
    std::string bytes_;
    std::size_t scanned_ = 0;  // no terminator starts before this index
    std::optional<std::size_t> headEnd_;
};

struct ResponseHeader {
    std::string httpVersion;     // first token of the status line
    int statusCode = -1;         // -1 until a status line with a number was read
    std::string location;        // "Location:" value, empty when absent
    std::int64_t totalSize = 0;  // whole resource's size; 0 when no header gave it
};

// Parses the head that ends at `headEnd` (index of the first "\r\n\r\n").
// Accepts status 200 and 206: the head and its terminator are then removed
// from `buffer`, which keeps the body bytes that came with it. Any other
// answer is rejected and reported on standard output; a 416 answer also
// deletes `mergedFile` (when given), whose length no longer suits the server's.
bool ParseResponseHeader(ResponseHeader& header, std::string& buffer, std::size_t headEnd,
                         const std::filesystem::path& mergedFile = {});

// Resolves a redirect's location against the current host and path and, on
// success, replaces them. Absolute ("http://h/p"), host-relative ("/p") and
// path-relative ("p") locations are understood; https and a location without
// a path after its host are refused (false, host and path unchanged).
bool ParseLocation(const std::string& location, std::string& host, std::string& urlPath);

// True when `text` begins with `prefix`, ignoring ASCII case.
bool StartsWithNoCase(const std::string& text, const char* prefix);
