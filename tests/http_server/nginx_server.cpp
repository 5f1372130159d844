#include "tests/http_server/nginx_server.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include <boost/asio/ip/tcp.hpp>

extern char** environ;

namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

const char kNginx[] = "/usr/sbin/nginx";

std::uint16_t FreePort()
{
    asio::io_context io;
    tcp::acceptor probe(io, tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    return probe.local_endpoint().port();
}

bool Accepts(std::uint16_t port)
{
    asio::io_context io;
    tcp::socket socket(io);
    boost::system::error_code error;
    socket.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port), error);
    return !error;
}

}  // namespace

bool NginxServer::Available()
{
    return ::access(kNginx, X_OK) == 0;
}

NginxServer::NginxServer(const std::filesystem::path& root, const std::string& httpDirectives) : root_(root)
{
    if (!Available()) throw std::runtime_error("nginx is not installed (Debian package nginx)");
    char pattern[] = "/tmp/nginx-test-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("no temporary folder for nginx");
    work_ = pattern;
    // Another process may take the free port between our look and nginx's bind.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (StartOnFreePort(httpDirectives)) return;
    }
    std::filesystem::remove_all(work_);
    throw std::runtime_error("nginx did not start");
}

NginxServer::~NginxServer()
{
    Stop();
    std::filesystem::remove_all(work_);
}

bool NginxServer::StartOnFreePort(const std::string& httpDirectives)
{
    port_ = FreePort();
    const std::string work = work_.string();
    std::ofstream(work_ / "nginx.conf")
        << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
        << "pid " << work << "/nginx.pid;\nerror_log " << work << "/error.log;\n"
        << "events { worker_connections 64; }\n"
        << "http {\n"
        << "  log_format ranges '$status $http_range';\n"
        << "  access_log " << work << "/access.log ranges;\n"
        << "  client_body_temp_path " << work << "/body; proxy_temp_path " << work << "/proxy;\n"
        << "  fastcgi_temp_path " << work << "/fastcgi; uwsgi_temp_path " << work << "/uwsgi;\n"
        << "  scgi_temp_path " << work << "/scgi;\n"
        << "  sendfile on;\n  " << httpDirectives << "\n"
        << "  server { listen 127.0.0.1:" << port_ << "; root " << root_.string() << "; }\n"
        << "}\n";

    const std::string conf = (work_ / "nginx.conf").string();
    const std::string errorLog = (work_ / "error.log").string();
    const char* argv[] = {kNginx, "-p", work.c_str(), "-e", errorLog.c_str(), "-c", conf.c_str(), nullptr};
    if (::posix_spawn(&pid_, kNginx, nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
        pid_ = -1;
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {  // it ended: the port was taken
            pid_ = -1;
            return false;
        }
        if (Accepts(port_)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Stop();
    return false;
}

void NginxServer::Stop()
{
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    bool reaped = false;
    for (int i = 0; i < 500 && !reaped; ++i) {
        reaped = ::waitpid(pid_, &status, WNOHANG) == pid_;
        if (!reaped) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!reaped) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
}

std::string NginxServer::host() const
{
    return "127.0.0.1:" + std::to_string(port_);
}

std::string NginxServer::accessLog() const
{
    std::ifstream in(work_ / "access.log");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
