#include "tests/http_server/test_http_server.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/streambuf.hpp>
#include <boost/asio/write.hpp>

namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using boost::system::error_code;

const std::size_t kWriteSlice = 256 * 1024;

std::string RequestPath(const std::string& head)
{
    const std::size_t first = head.find(' ');
    if (first == std::string::npos) return std::string();
    const std::size_t second = head.find(" HTTP/", first + 1);
    return head.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

// The N of a "Range: bytes=N-" line, or -1 without one.
long long RangeStart(const std::string& head)
{
    const std::size_t at = head.find("\r\nRange: bytes=");
    if (at == std::string::npos) return -1;
    return std::atoll(head.c_str() + at + 15);
}

}  // namespace

class TestHttpServer::Impl {
public:
    Impl(std::string body, ServerOptions options)
        : body_(std::move(body)), options_(std::move(options)), acceptor_(io_)
    {
        const tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), 0);
        acceptor_.open(endpoint.protocol());
        acceptor_.bind(endpoint);
        acceptor_.listen();
        port_ = acceptor_.local_endpoint().port();
        Accept();
        thread_ = std::thread([this] { io_.run(); });
    }

    ~Impl()
    {
        io_.stop();
        thread_.join();
    }

    class Session;

    void Accept();

    int Record(const std::string& head)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(head);
        return static_cast<int>(requests_.size());
    }

    const std::string body_;
    const ServerOptions options_;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::atomic<int> openConnections_{0};
    asio::io_context io_;  // destroyed first: its handlers own the sessions
    tcp::acceptor acceptor_;
    std::thread thread_;
};

class TestHttpServer::Impl::Session : public std::enable_shared_from_this<Session> {
public:
    Session(Impl& server, tcp::socket socket)
        : server_(server), socket_(std::move(socket)), timer_(server.io_)
    {
        ++server_.openConnections_;
    }
    ~Session() { --server_.openConnections_; }

    void Start()
    {
        auto self = shared_from_this();
        asio::async_read_until(
            socket_, request_, "\r\n\r\n", [this, self](const error_code& error, std::size_t size) {
                if (error) return Close();
                const std::string head(asio::buffers_begin(request_.data()),
                                       asio::buffers_begin(request_.data()) + size);
                request_.consume(size);
                const int number = server_.Record(head);
                const ServerOptions& options = server_.options_;
                const bool faulty = number >= options.faultFromRequest &&
                                    (options.faultToRequest == 0 || number <= options.faultToRequest) &&
                                    (options.faultPath.empty() || RequestPath(head) == options.faultPath);
                WatchForClose();
                Answer(faulty ? options.fault : ServerFault::None, RangeStart(head));
            });
    }

private:
    // A pending read ends the session as soon as the client closes.
    void WatchForClose()
    {
        auto self = shared_from_this();
        socket_.async_read_some(asio::buffer(discard_), [this, self](const error_code& error, std::size_t) {
            if (error) return Close();
            WatchForClose();
        });
    }

    void Answer(ServerFault fault, long long rangeStart)
    {
        const std::string& body = server_.body_;
        const std::size_t size = body.size();
        switch (fault) {
            case ServerFault::Redirect:
                return SendThenClose("HTTP/1.1 302 Found\r\nLocation: " + server_.options_.location +
                                     "\r\nContent-Length: 0\r\n\r\n");
            case ServerFault::NotFound:
                return SendThenClose("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
            case ServerFault::RangeNotSatisfiable:
                return SendThenClose("HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" +
                                     std::to_string(size) + "\r\n\r\n");
            case ServerFault::NotHttp:
                return SendThenClose("ICY 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n");
            case ServerFault::NoHead:
                return SendThenClose("HTTP/1.1 206 Partial Content\r\nContent-Len");
            case ServerFault::Silent:
                return;  // the pending read keeps the session until the client leaves
            case ServerFault::IgnoreRange:
                return SendBody("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n", 0,
                                size);
            case ServerFault::NoLength:
                return SendBody("HTTP/1.1 200 OK\r\n\r\n", 0, size);
            default:
                break;
        }

        std::size_t start = 0;
        std::string head;
        if (rangeStart < 0) {
            head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n";
        } else if (static_cast<std::size_t>(rangeStart) >= size) {
            return SendThenClose("HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */" +
                                 std::to_string(size) + "\r\n\r\n");
        } else {
            start = static_cast<std::size_t>(rangeStart);
            head = "HTTP/1.1 206 Partial Content\r\nContent-Length: " + std::to_string(size - start) +
                   "\r\nContent-Range: bytes " + std::to_string(start) + "-" + std::to_string(size - 1) +
                   "/" + std::to_string(size) + "\r\n\r\n";
        }
        const std::size_t faultBytes = std::min(server_.options_.faultBytes, size - start);
        switch (fault) {
            case ServerFault::StallBeforeBody:
                return Send(head, [] {});
            case ServerFault::StallAfterBytes:
                return Send(head + body.substr(start, faultBytes), [] {});
            case ServerFault::ResetAfterBytes:
                return Send(head + body.substr(start, faultBytes), [this] {
                    error_code ignored;
                    socket_.set_option(asio::socket_base::linger(true, 0), ignored);
                    Close();
                });
            case ServerFault::SlowDrip:
                return Send(head, [this, start] { Drip(start); });
            default:
                return SendBody(head, start, size - start);
        }
    }

    template <typename Then>
    void Send(std::string text, Then then)
    {
        auto self = shared_from_this();
        auto owned = std::make_shared<std::string>(std::move(text));
        asio::async_write(socket_, asio::buffer(*owned),
                          [this, self, owned, then](const error_code& error, std::size_t) {
                              if (error) return Close();
                              then();
                          });
    }

    void SendThenClose(std::string text)
    {
        Send(std::move(text), [this] { Close(); });
    }

    void SendBody(std::string head, std::size_t start, std::size_t length)
    {
        Send(std::move(head), [this, start, length] { SendSlice(start, start + length); });
    }

    void SendSlice(std::size_t from, std::size_t to)
    {
        if (from >= to) return Close();
        const std::size_t n = std::min(kWriteSlice, to - from);
        auto self = shared_from_this();
        asio::async_write(socket_, asio::buffer(server_.body_.data() + from, n),
                          [this, self, from, to, n](const error_code& error, std::size_t) {
                              if (error) return Close();
                              SendSlice(from + n, to);
                          });
    }

    void Drip(std::size_t from)
    {
        const std::size_t size = server_.body_.size();
        if (from >= size) return Close();
        const std::size_t n = std::min(server_.options_.dripBytes, size - from);
        auto self = shared_from_this();
        asio::async_write(socket_, asio::buffer(server_.body_.data() + from, n),
                          [this, self, from, n](const error_code& error, std::size_t) {
                              if (error) return Close();
                              timer_.expires_after(server_.options_.dripInterval);
                              timer_.async_wait([this, self, from, n](const error_code& waitError) {
                                  if (waitError) return;
                                  Drip(from + n);
                              });
                          });
    }

    void Close()
    {
        error_code ignored;
        socket_.close(ignored);
        timer_.cancel();
    }

    Impl& server_;
    tcp::socket socket_;
    asio::steady_timer timer_;
    asio::streambuf request_;
    char discard_[512];
};

void TestHttpServer::Impl::Accept()
{
    acceptor_.async_accept([this](const error_code& error, tcp::socket socket) {
        if (error) return;
        std::make_shared<Session>(*this, std::move(socket))->Start();
        Accept();
    });
}

TestHttpServer::TestHttpServer(std::string body, ServerOptions options)
    : impl_(std::make_unique<Impl>(std::move(body), std::move(options)))
{
}

TestHttpServer::~TestHttpServer() = default;

std::uint16_t TestHttpServer::port() const
{
    return impl_->port_;
}

std::string TestHttpServer::host() const
{
    return "127.0.0.1:" + std::to_string(impl_->port_);
}

std::vector<std::string> TestHttpServer::requests() const
{
    std::lock_guard<std::mutex> lock(impl_->mutex_);
    return impl_->requests_;
}

int TestHttpServer::openConnections() const
{
    return impl_->openConnections_;
}

std::string PatternBody(std::size_t size)
{
    std::string body(size, '\0');
    std::uint32_t x = 0x12345678;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;  // a linear congruential sequence
        body[i] = static_cast<char>(x >> 24);
    }
    return body;
}
