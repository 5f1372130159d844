// Response heads as a server might send them, in reads of any size: finding
// the head, parsing it, and resolving a redirect's location.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "updater/download/http_message.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Rejections are reported on standard output; keep the fuzzer's quiet.
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    // The first byte chooses the read size, so terminators fall across reads.
    const std::size_t readSize = 1 + data[0] % 16;
    const char* text = reinterpret_cast<const char*>(data + 1);
    const std::size_t length = size - 1;

    ResponseHeadBuffer head;
    std::optional<std::size_t> headEnd;
    for (std::size_t at = 0; at < length && !headEnd && !head.Overflowed(); at += readSize) {
        headEnd = head.Append(text + at, std::min(readSize, length - at));
    }
    if (!headEnd) return 0;

    std::string& buffer = head.bytes();
    const std::string whole = buffer;
    if (whole.compare(*headEnd, 4, "\r\n\r\n") != 0 || whole.find("\r\n\r\n") != *headEnd) std::abort();

    ResponseHeader header;
    const bool accepted = ParseResponseHeader(header, buffer, *headEnd);
    if (accepted) {
        if (header.statusCode != 200 && header.statusCode != 206) std::abort();
        if (buffer != whole.substr(*headEnd + 4)) std::abort();
    } else if (buffer != whole) {
        std::abort();
    }
    if (header.totalSize < 0) std::abort();

    std::string host = "srv:8080";
    std::string path = "/pkg/update.zip?x=1";
    if (ParseLocation(header.location, host, path) && (host.empty() || path.empty())) std::abort();
    return 0;
}
