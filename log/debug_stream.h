// An output stream to the debugger output. Its buffer holds 256 characters:
// a flush passes what is buffered as one string, and a full buffer is passed
// on as it fills, so a 300-character line arrives as 256 + 44 characters.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "log/debug_output.h"

template <class CharT, class Traits = std::char_traits<CharT>>
class OutputDebugStringBuf : public std::basic_stringbuf<CharT, Traits> {
    static_assert(std::is_same<CharT, char>::value, "the debugger output takes 8-bit text");

public:
    using int_type = typename Traits::int_type;
    static constexpr std::size_t kBufferSize = 256;

    OutputDebugStringBuf() : buffer_(kBufferSize, CharT())
    {
        this->setg(nullptr, nullptr, nullptr);
        resetPutArea();
    }
    OutputDebugStringBuf(const OutputDebugStringBuf&) = delete;
    OutputDebugStringBuf& operator=(const OutputDebugStringBuf&) = delete;

    ~OutputDebugStringBuf() override
    {
        if (this->pptr() != this->pbase()) sync();
    }

protected:
    // Passes the buffered characters on as one string and empties the buffer.
    // An empty buffer passes nothing.
    int sync() override
    {
        int result = 0;
        if (this->pptr() != this->pbase()) {
            try {
                logging::WriteDebugOutput(std::string(this->pbase(), this->pptr()));
            } catch (...) {
                result = -1;
            }
        }
        resetPutArea();
        return result;
    }

    // The buffer is full: pass it on, then keep c as the first character.
    int_type overflow(int_type c = Traits::eof()) override
    {
        const int result = sync();
        if (!Traits::eq_int_type(c, Traits::eof())) {
            *this->pptr() = Traits::to_char_type(c);
            this->pbump(1);
        }
        return result == 0 ? int_type(0) : Traits::eof();
    }

private:
    void resetPutArea() { this->setp(buffer_.data(), buffer_.data() + buffer_.size()); }

    std::vector<CharT> buffer_;
};

template <class CharT, class Traits = std::char_traits<CharT>>
class outputdebug_buf : public OutputDebugStringBuf<CharT, Traits> {
};

template <class CharT, class Traits = std::char_traits<CharT>>
class outputdebug_stream : public std::basic_ostream<CharT, Traits> {
public:
    outputdebug_stream()
        : std::basic_ostream<CharT, Traits>(nullptr), buf_(new outputdebug_buf<CharT, Traits>())
    {
        this->rdbuf(buf_.get());  // also clears the stream's state
    }
    outputdebug_stream(const outputdebug_stream&) = delete;
    outputdebug_stream& operator=(const outputdebug_stream&) = delete;

private:
    std::unique_ptr<outputdebug_buf<CharT, Traits>> buf_;
};
