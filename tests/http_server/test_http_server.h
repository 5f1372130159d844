// An HTTP server for the downloader's tests, on 127.0.0.1 and a free port,
// running on a thread of its own from construction to destruction.
//
// It serves one body at any path with correct single-range answers
// ("Range: bytes=N-"), records every request's bytes, and can be told to
// misbehave in one of the ways a real server or network does.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class ServerFault {
    None,
    IgnoreRange,          // 200 with the whole body to every request
    Redirect,             // 302 to `location`
    NotFound,             // 404
    RangeNotSatisfiable,  // 416
    NotHttp,              // a status line that is not HTTP ("ICY 200 OK")
    NoHead,               // part of a head, then the connection is closed
    Silent,               // reads the request, never answers
    StallBeforeBody,      // the head, then nothing
    StallAfterBytes,      // the head and `faultBytes` body bytes, then nothing
    ResetAfterBytes,      // the head and `faultBytes` body bytes, then a reset
    SlowDrip,             // the body in pieces of `dripBytes` every `dripInterval`
    NoLength,             // 200 with the body but no length header
};

struct ServerOptions {
    ServerFault fault = ServerFault::None;
    // The fault applies to requests counted from this one on (1 = the first).
    int faultFromRequest = 1;
    // ... up to and including this one, when not 0.
    int faultToRequest = 0;
    // ... and only to requests for this path, when given.
    std::string faultPath;
    std::string location;  // for Redirect
    std::size_t faultBytes = 0;
    std::size_t dripBytes = 64;
    std::chrono::milliseconds dripInterval{50};
};

class TestHttpServer {
public:
    explicit TestHttpServer(std::string body, ServerOptions options = {});
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    std::uint16_t port() const;
    std::string host() const;  // "127.0.0.1:<port>"

    // Every request's bytes up to and including its blank line, in arrival order.
    std::vector<std::string> requests() const;
    // Connections accepted and not yet ended by either side.
    int openConnections() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// A body of `size` bytes whose every region differs from the others, so a
// byte put at the wrong offset changes the digest.
std::string PatternBody(std::size_t size);
