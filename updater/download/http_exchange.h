// One request and its answer on a connection of its own, on Boost.Asio.
//
// The exchange runs its asynchronous steps on the io_context it is given,
// on the calling thread. Another thread ends it at any point with
// io_context::stop(): the blocked step returns at once, and the socket is
// only ever touched by the thread that runs the exchange.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/system/error_code.hpp>

enum class ExchangeEnd {
    Finished,    // the chunk handler asked to stop
    PeerClosed,  // the server ended the connection normally
    Failed,      // resolving, connecting, writing or reading failed
    TimedOut,    // no byte within the idle limit
    Stopped,     // the io_context was stopped from outside
};

struct ExchangeOutcome {
    ExchangeEnd end;
    boost::system::error_code error;  // set for Failed, TimedOut and Stopped
};

// Receives each chunk read (never empty); returns false to end the exchange.
using ChunkHandler = std::function<bool(const char* data, std::size_t size)>;

// Resolves `host` ("name" or "name:service"), connects to the first address
// that accepts, writes `request` whole and hands every chunk read to
// `onChunk`. An idle limit of zero means none; otherwise the exchange ends
// when no byte arrives for that long, counted from the start.
ExchangeOutcome RunHttpExchange(boost::asio::io_context& io, const std::string& host,
                                const std::string& request, const ChunkHandler& onChunk,
                                std::chrono::milliseconds idleLimit = std::chrono::milliseconds::zero());
