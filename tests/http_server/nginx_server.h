// nginx from the system, started on 127.0.0.1 with a configuration of its
// own in a temporary folder, and stopped by its process id. Native only.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>

class NginxServer {
public:
    // Serves the files of `root`. `httpDirectives` go into the http block
    // (for example "limit_rate 20m;"). Throws std::runtime_error when nginx
    // is missing or does not start.
    explicit NginxServer(const std::filesystem::path& root, const std::string& httpDirectives = "");
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    std::string host() const;  // "127.0.0.1:<port>"
    // The access log: one line per request, "<status> <range header>".
    std::string accessLog() const;

    static bool Available();

private:
    bool StartOnFreePort(const std::string& httpDirectives);
    void Stop();

    std::filesystem::path root_;
    std::filesystem::path work_;
    std::uint16_t port_ = 0;
    pid_t pid_ = -1;
};
