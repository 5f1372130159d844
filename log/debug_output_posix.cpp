// Native counterpart of the debugger output: the strings are kept in memory
// for tests (there is no debugger output to write to).
#include <cstddef>
#include <deque>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "log/debug_output.h"
#include "log/debug_output_capture.h"

namespace logging {
namespace {

constexpr std::size_t kMaxKept = 65536;

struct Capture {
    std::mutex lock;
    std::deque<std::string> strings;  // guarded by lock
};

// Built on first use and never destroyed, so it serves static initialisers
// and destructors of any file.
Capture& TheCapture()
{
    static Capture* capture = new Capture;
    return *capture;
}

}  // namespace

void WriteDebugOutput(const std::string& text)
{
    Capture& c = TheCapture();
    std::lock_guard<std::mutex> hold(c.lock);
    if (c.strings.size() == kMaxKept) c.strings.pop_front();
    c.strings.push_back(text);
}

std::vector<std::string> TakeDebugOutput()
{
    Capture& c = TheCapture();
    std::lock_guard<std::mutex> hold(c.lock);
    std::vector<std::string> out(std::make_move_iterator(c.strings.begin()),
                                 std::make_move_iterator(c.strings.end()));
    c.strings.clear();
    return out;
}

}  // namespace logging
