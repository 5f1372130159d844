#include "updater/download/http_exchange.h"

#include <vector>

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>

#include "updater/download/http_message.h"

namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using boost::system::error_code;

const std::size_t kReadSize = 64 * 1024;

class Exchange {
public:
    Exchange(asio::io_context& io, const std::string& request, const ChunkHandler& onChunk,
             std::chrono::milliseconds idleLimit)
        : io_(io),
          resolver_(io),
          socket_(io),
          idleTimer_(io),
          request_(request),
          onChunk_(onChunk),
          idleLimit_(idleLimit),
          readBuffer_(kReadSize)
    {
    }

    ExchangeOutcome Run(const std::string& host)
    {
        const HostPort target = SplitHostPort(host);
        resolver_.async_resolve(target.name, target.service,
                                [this](const error_code& error, const tcp::resolver::results_type& results) {
                                    OnResolved(error, results);
                                });
        if (idleLimit_ != std::chrono::milliseconds::zero()) {
            idleTimer_.expires_after(idleLimit_);
            WaitIdle();
        }
        io_.run();
        if (!finished_) Finish(ExchangeEnd::Stopped, asio::error::operation_aborted);
        return outcome_;
    }

private:
    void Finish(ExchangeEnd end, const error_code& error)
    {
        if (finished_) return;
        finished_ = true;
        outcome_ = {end, error};
        error_code ignored;
        socket_.close(ignored);
        resolver_.cancel();
        idleTimer_.cancel();
    }

    void OnResolved(const error_code& error, const tcp::resolver::results_type& results)
    {
        if (finished_) return;
        if (error) return Finish(ExchangeEnd::Failed, error);
        asio::async_connect(socket_, results, [this](const error_code& connectError, const tcp::endpoint&) {
            if (finished_) return;
            if (connectError) return Finish(ExchangeEnd::Failed, connectError);
            asio::async_write(socket_, asio::buffer(request_),
                              [this](const error_code& writeError, std::size_t) {
                                  if (finished_) return;
                                  if (writeError) return Finish(ExchangeEnd::Failed, writeError);
                                  ReadSome();
                              });
        });
    }

    void ReadSome()
    {
        socket_.async_read_some(asio::buffer(readBuffer_), [this](const error_code& error, std::size_t size) {
            if (finished_) return;
            if (size > 0) {
                if (idleLimit_ != std::chrono::milliseconds::zero()) idleTimer_.expires_after(idleLimit_);
                if (!onChunk_(readBuffer_.data(), size)) return Finish(ExchangeEnd::Finished, error_code());
            }
            if (error == asio::error::eof) return Finish(ExchangeEnd::PeerClosed, error_code());
            if (error) return Finish(ExchangeEnd::Failed, error);
            ReadSome();
        });
    }

    // Moving the expiry cancels the pending wait; the handler then waits
    // again for the new expiry unless that has passed.
    void WaitIdle()
    {
        idleTimer_.async_wait([this](const error_code&) {
            if (finished_) return;
            if (idleTimer_.expiry() <= asio::steady_timer::clock_type::now()) {
                return Finish(ExchangeEnd::TimedOut, asio::error::timed_out);
            }
            WaitIdle();
        });
    }

    asio::io_context& io_;
    tcp::resolver resolver_;
    tcp::socket socket_;
    asio::steady_timer idleTimer_;
    const std::string& request_;
    const ChunkHandler& onChunk_;
    const std::chrono::milliseconds idleLimit_;
    std::vector<char> readBuffer_;
    bool finished_ = false;
    ExchangeOutcome outcome_{ExchangeEnd::Stopped, error_code()};
};

}  // namespace

ExchangeOutcome RunHttpExchange(asio::io_context& io, const std::string& host, const std::string& request,
                                const ChunkHandler& onChunk, std::chrono::milliseconds idleLimit)
{
    Exchange exchange(io, request, onChunk, idleLimit);
    return exchange.Run(host);
}
